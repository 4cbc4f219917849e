#!/usr/bin/env bash
# Builds the Debian package build/package/zorvex_<version>_<arch>.deb with the
# compiler and linker flags Debian builds its own packages with.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
dir="$root/build/package"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads no CPPFLAGS, so the preprocessor's flags (fortify) go with the compiler's.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
"$root/scripts/build.sh" "$dir" -DZORVEX_TESTS=OFF -DZORVEX_WERROR=OFF -DZORVEX_SANITIZE=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
rm -f "$dir"/zorvex_*.deb
(cd "$dir" && cpack -G DEB >cpack.log) || { cat "$dir/cpack.log"; exit 1; }
ls "$dir"/zorvex_*.deb
