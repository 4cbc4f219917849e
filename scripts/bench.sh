#!/usr/bin/env bash
# Builds and runs the benchmarks; the argument is the seconds per measurement.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build/bench" -DZORVEX_BENCH=ON -DZORVEX_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
"$root/build/bench/bench/exchange_bench" "${1:-5}"
"$root/build/bench/bench/unplug_bench" "${1:-5}"
