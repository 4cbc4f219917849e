#!/usr/bin/env bash
# Usage: install.sh BUILD_DIR ROOT APP_ID
# Installs the build under ROOT/usr, checks that every file is in its place and
# starts the installed programs.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=$1 root=$2 id=$3
usr=$root/usr
rm -rf "$root"
mkdir -p "$root"
cmake --install "$build" --prefix "$usr" >"$root.log" || { cat "$root.log"; fail "cmake --install failed"; }

for f in bin/zorvex bin/zorvex-sim bin/zorvex-cli; do
  [ -f "$usr/$f" ] && [ -x "$usr/$f" ] || fail "$f is not installed as a program"
done
for f in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/man/man1/zorvex.1.gz share/man/man1/zorvex-sim.1.gz share/man/man1/zorvex-cli.1.gz \
  lib/udev/rules.d/60-zorvex.rules share/doc/zorvex/copyright share/doc/zorvex/changelog.gz; do
  [ -s "$usr/$f" ] || fail "$f is missing"
done
for f in share/man/man1/zorvex.1.gz share/man/man1/zorvex-sim.1.gz share/man/man1/zorvex-cli.1.gz share/doc/zorvex/changelog.gz; do
  gzip -t "$usr/$f" || fail "$f is not gzip'd"
done

# A PNG in the wrong size folder is scaled, blurred, by every icon theme user.
sizes=""
for png in "$usr"/share/icons/hicolor/*/apps/"$id".png; do
  [ -e "$png" ] || fail "no PNG icon is installed"
  folder=$(basename "$(dirname "$(dirname "$png")")")
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "${width}x${height}" = "$folder" ] || fail "$png is ${width}x${height}, not $folder"
  sizes+=" $width"
done
for want in 16 32 48 256; do
  [[ " $sizes " == *" $want "* ]] || fail "no ${want}x${want} icon (installed:$sizes)"
done

rules=$usr/lib/udev/rules.d/60-zorvex.rules
grep -q 'TAG+="uaccess"' "$rules" || fail "the udev rule grants no seat access"
grep -q 'ENV{ID_MM_DEVICE_IGNORE}="1"' "$rules" || fail "the udev rule leaves the adapters to ModemManager"

help=$("$usr/bin/zorvex-sim" --help) || fail "the installed zorvex-sim --help failed"
grep -q -- '--devices' <<<"$help" || fail "the installed zorvex-sim --help lists no options: $help"

# The program runs until it is closed: still up after two seconds means it started.
set +e
QT_QPA_PLATFORM=offscreen timeout -s TERM 2 "$usr/bin/zorvex" >"$root.zorvex.log" 2>&1
status=$?
set -e
[ "$status" = 124 ] || fail "the installed zorvex ended within 2 s with status $status: $(cat "$root.zorvex.log")"
echo "installed under $usr; zorvex-sim --help and zorvex on the offscreen platform ran"
