#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, if missing.
set -euo pipefail
pkgs=(build-essential cmake qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev fonts-dejavu-core)
# The Debian package (dpkg-shlibdeps, dpkg-buildflags) and the checks of it and of its files.
pkgs+=(dpkg-dev lintian desktop-file-utils appstream)
[ "${ZORVEX_GUI:-0}" = 1 ] && pkgs+=(xvfb xauth imagemagick xdotool)
[ "${ZORVEX_FUZZ:-0}" = 1 ] && pkgs+=(clang libclang-rt-14-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
