#!/usr/bin/env bash
# Renders the PNG sizes of the icon from data/icons/com.quenvar.Tarnwick.svg.
# Run it after changing the drawing and commit what it writes; the build
# only installs the files, so it needs no SVG renderer.
#   scripts/make-icons.sh   (installs librsvg2-bin when missing)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
icons=$top/data/icons
id=com.quenvar.Tarnwick
if ! command -v rsvg-convert >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends librsvg2-bin
fi
for size in 16 32 48 64 128 256; do
  mkdir -p "$icons/${size}x$size"
  rsvg-convert -w "$size" -h "$size" -o "$icons/${size}x$size/$id.png" "$icons/$id.svg"
  echo "wrote data/icons/${size}x$size/$id.png"
done
