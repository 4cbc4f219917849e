#!/usr/bin/env bash
# Usage: appstream.sh INSTALLED_USR APP_ID VERSION
# The software centre's metadata, alone and with the desktop entry and icons it
# points to, and a release entry for the version being built.
set -euo pipefail
. "$(dirname "$0")/common.sh"
usr=$1 id=$2 version=$3
need appstreamcli appstream
file=$usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$file" || fail "appstreamcli validate failed"
appstreamcli validate-tree --no-net "$(dirname "$usr")" || fail "appstreamcli validate-tree failed"
grep -q "<release version=\"$version\"" "$file" || fail "no release entry for $version in $(basename "$file")"
