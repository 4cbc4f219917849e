#!/usr/bin/env bash
# Usage: deb.sh BUILD_DIR OUT_DIR VERSION SANITIZED
# Makes the Debian package from the build and checks what apt will read from it.
set -euo pipefail
. "$(dirname "$0")/common.sh"
build=$1 out=$2 version=$3 sanitized=$4
[ "$sanitized" = 1 ] && skip "a sanitizer build is not what is shipped; the plain build makes and checks the package"
need dpkg-shlibdeps dpkg-dev
need dpkg-deb dpkg
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack failed"; }
deb=$out/zorvex_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$out"; fail "no $(basename "$deb")"; }

# The dependencies come from the binaries; a package without them installs and
# then cannot start.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-dejavu-core; do
  grep -qxF "$p" <<<"$names" || fail "Depends lacks $p: $depends"
done
for field in Maintainer Description Section; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field"
done
listing=$(dpkg-deb -c "$deb")
for f in ./usr/bin/zorvex ./usr/bin/zorvex-sim ./usr/share/doc/zorvex/copyright ./usr/lib/udev/rules.d/60-zorvex.rules; do
  grep -q " $f\$" <<<"$listing" || fail "$f is not in the package"
done
if grep -q " \./usr/local/\| \./home/\| \./tmp/" <<<"$listing"; then
  fail "files outside /usr in the package"
fi
echo "$(basename "$deb"): Depends: $depends"
