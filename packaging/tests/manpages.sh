#!/usr/bin/env bash
# Usage: manpages.sh INSTALLED_USR
# The manual pages format without warnings, and the pages of the simulator
# and the command line name every option their --help lists.
set -euo pipefail
. "$(dirname "$0")/common.sh"
usr=$1
need man man-db
for page in zorvex zorvex-sim zorvex-cli; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$warnings"; fail "$page(1) formats with warnings"; }
done
described=""
for program in zorvex-sim zorvex-cli; do
  source=$(zcat "$usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
  options=$(LANG=C "$usr/bin/$program" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u)
  [ -n "$options" ] || fail "$program --help lists no options"
  missing=""
  for option in $options; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$source" || missing+=" $option"
  done
  [ -z "$missing" ] || fail "$program(1) does not describe:$missing"
  described+=" $program(1):$(echo " $options" | tr '\n' ' ')"
done
echo "the manual pages format cleanly and describe every option:$described"
