#!/usr/bin/env bash
# Usage: desktop_entry.sh INSTALLED_DESKTOP_FILE
# The menu entry: valid, without warnings (deprecated keys warn), and starting
# the installed program.
set -euo pipefail
. "$(dirname "$0")/common.sh"
file=$1
need desktop-file-validate desktop-file-utils
out=$(desktop-file-validate "$file" 2>&1) || { echo "$out"; fail "desktop-file-validate found errors"; }
[ -z "$out" ] || { echo "$out"; fail "desktop-file-validate warns"; }
echo "desktop-file-validate $(basename "$file"): no errors, no warnings"

for key in 'Name=ZORVEX' 'Comment=.' 'Comment\[ru\]=.' 'Terminal=false' 'Categories=.'; do
  grep -q "^$key" "$file" || fail "no $key in the entry"
done
icon=$(sed -n 's/^Icon=//p' "$file")
[ "$icon" = "$(basename "$file" .desktop)" ] || fail "Icon=$icon is not the entry's id"
usr=$(dirname "$(dirname "$(dirname "$file")")")
[ -f "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no installed icon $icon"
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$file")
[ -x "$usr/bin/$exec_cmd" ] || fail "Exec=$exec_cmd is not an installed program"
