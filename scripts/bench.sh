#!/usr/bin/env bash
# Builds and runs the benchmarks: seconds per measurement (default 5), runs per case (default 3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build/bench" -DZORVEX_BENCH=ON -DZORVEX_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
"$root/build/bench/bench/exchange_bench" "${1:-5}" "${2:-3}" "${3:-}"
