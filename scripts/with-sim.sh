#!/usr/bin/env bash
# Usage: with-sim.sh BUILD_DIR [simulator options...] -- COMMAND [arguments...]
# Starts zorvex-sim from BUILD_DIR, says which port it published, runs COMMAND
# and stops the simulator when COMMAND ends.
set -euo pipefail
dir=$1; shift
sim_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do sim_args+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
port_file=$(mktemp)
"$dir/zorvex-sim" --print-port "${sim_args[@]}" >"$port_file" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; rm -f "$port_file"' EXIT
for _ in $(seq 200); do
  [ -s "$port_file" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$port_file" ]; then
  echo "Симулятор не запустился / the simulator did not start" >&2
  exit 1
fi
port=$(basename "$(head -n 1 "$port_file")")
echo "Симулятор работает на порту $port: выберите «$port» в списке «Порт», модель, номер 001 и нажмите «Старт»."
echo "The simulator serves port $port: pick \"$port\" in the port list."
"$@"
