#!/usr/bin/env bash
# Starts the simulator and the real program on a virtual X display, drives the
# window as a technician would (port, model, number 001, "Старт") and saves
# screenshots of the main window and of the panels into DIR (default docs/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs}")
ZORVEX_GUI=1 "$root/scripts/setup.sh"
dir="$root/build/run"
"$root/scripts/build.sh" "$dir" -DZORVEX_TESTS=OFF
mkdir -p "$out"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
portfile=$(mktemp)
"$dir/zorvex-sim" --print-port >"$portfile" 2>/dev/null &
sim=$!
app=""
trap 'kill $app $sim $xvfb 2>/dev/null || true; rm -f "$portfile"' EXIT
for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.1; done
port=$(basename "$(cat "$portfile")")
export DISPLAY=$display
sleep 1
"$dir/zorvex" >/dev/null 2>&1 &
app=$!
sleep 2
shot() { import -window root -crop 792x545+0+0 "$out/$1"; echo "$out/$1"; }

# Without a window manager the window sits at 0,0 and its controls at fixed places.
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
click 50 34                        # port list: type the simulator's port name
xdotool type --delay 50 "$port"; xdotool key Return; sleep 0.5
pick_model() {                     # device list, entry $1 (0..3)
  click 255 34
  xdotool key Home; for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return; sleep 0.5
}
pick_model 1
click 330 34; xdotool key Home 0 0 1
shot main-window.png
click 409 34; sleep 2              # "Старт"
shot selta.png
pick_model 2
click 409 34; sleep 2
shot olvin4.png
pick_model 0
click 409 34; click 421 507; sleep 1 # "Старт", then the settings' "Прочитать"
shot olvin3m.png
pick_model 3
click 409 34; sleep 2
click 450 296; click 420 505; sleep 1 # analog channel 2, "Прочитать"
shot torvis.png
