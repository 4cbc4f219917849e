#!/usr/bin/env bash
# Usage: manpages.sh INSTALLED_USR
# The manual pages format without warnings, and the simulator's page names
# every option its --help lists.
set -euo pipefail
. "$(dirname "$0")/common.sh"
usr=$1
need man man-db
for page in zorvex zorvex-sim; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$warnings"; fail "$page(1) formats with warnings"; }
done
source=$(zcat "$usr/share/man/man1/zorvex-sim.1.gz" | sed 's/\\-/-/g')
options=$("$usr/bin/zorvex-sim" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u)
[ -n "$options" ] || fail "zorvex-sim --help lists no options"
missing=""
for option in $options; do
  grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$source" || missing+=" $option"
done
[ -z "$missing" ] || fail "zorvex-sim(1) does not describe:$missing"
echo "zorvex(1) and zorvex-sim(1) format cleanly; zorvex-sim(1) describes$(echo " $options" | tr '\n' ' ')"
