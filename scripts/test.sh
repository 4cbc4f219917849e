#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test.
# ZORVEX_WERROR=1 turns warnings into errors; ZORVEX_SANITIZE=1 builds with ASan+UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
dir="$root/build/test"
opts=(-DZORVEX_WERROR="${ZORVEX_WERROR:-OFF}")
if [ "${ZORVEX_SANITIZE:-0}" = 1 ]; then
  dir="$root/build/asan"
  opts+=(-DZORVEX_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
"$root/scripts/build.sh" "$dir" "${opts[@]}"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
