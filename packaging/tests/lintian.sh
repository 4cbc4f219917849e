#!/usr/bin/env bash
# Usage: lintian.sh DEB_DIR SANITIZED
# Debian's own checks of the package; errors fail, warnings and notes are shown.
set -euo pipefail
. "$(dirname "$0")/common.sh"
dir=$1 sanitized=$2
[ "$sanitized" = 1 ] && skip "a sanitizer build is not what is shipped; the plain build makes and checks the package"
need lintian lintian
debs=("$dir"/zorvex_*.deb)
[ -f "${debs[0]}" ] || fail "no package in $dir"
lintian --allow-root --fail-on error --display-info "${debs[@]}" || fail "lintian reports errors"
echo "lintian $(basename "${debs[0]}"): no errors"
