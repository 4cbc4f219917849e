#!/usr/bin/env bash
# Sets up what is missing, builds, starts the device simulator and the program;
# the simulator stops when the program closes. Arguments go to the simulator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
dir="$root/build/run"
"$root/scripts/build.sh" "$dir" -DZORVEX_TESTS=OFF
exec "$root/scripts/with-sim.sh" "$dir" "$@" -- "$dir/zorvex"
