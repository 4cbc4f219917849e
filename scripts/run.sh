#!/usr/bin/env bash
# Sets up what is missing, builds, starts the device simulator and the program;
# the simulator stops when the program closes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
dir="$root/build/run"
"$root/scripts/build.sh" "$dir" -DZORVEX_TESTS=OFF
sim_pid=""
if [ -x "$dir/zorvex-sim" ]; then
  "$dir/zorvex-sim" "$@" &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true' EXIT
fi
"$dir/zorvex"
