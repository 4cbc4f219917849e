#!/usr/bin/env bash
# Renders the PNG sizes of the icon from the SVG beside this script; run it after
# changing the SVG and commit the PNGs (needs rsvg-convert, package librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/org.zorvex.Zorvex.svg" -o "$here/$size.png"
done
