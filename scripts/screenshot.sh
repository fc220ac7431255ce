#!/usr/bin/env bash
# Starts Tarnwick through scripts/run.sh on a virtual screen and saves a
# picture of its window: scripts/screenshot.sh [output.png [expanded]]
# With "expanded", both "Show Setup" buttons are clicked first; with "graph",
# the SPL graph strip is shown from the Preferences menu and calculated.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/docs/screenshot.png}
expanded=${2:-}
"$top/scripts/install-deps.sh"
export out top expanded
xvfb-run -a -s "-screen 0 1100x800x24" bash -c '
  "$top/scripts/run.sh" >/dev/null 2>&1 &
  for _ in $(seq 1 600); do
    id=$(xwininfo -root -tree | awk "/\"Quenvar Tarnwick\"/ {print \$1; exit}")
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || { echo "the window did not appear" >&2; exit 1; }
  sleep 1  # let the first paint finish
  if [ "$expanded" = expanded ]; then
    # The two buttons, in window pixels: the array panel'"'"'s on the left,
    # the area panel'"'"'s at the right end of the collapsed panel.
    width=$(xwininfo -id "$id" | awk "/Width:/ {print \$2}")
    xdotool mousemove --window "$id" 86 97 click 1
    sleep 0.5
    xdotool mousemove --window "$id" $((width - 62)) 97 click 1
    sleep 0.5
  fi
  if [ "$expanded" = graph ]; then
    # Preferences, then "Show SPL Graph"; "Calculate Response" then lies at
    # the left end of the strip near the bottom of the window.
    xdotool mousemove --window "$id" 72 8 click 1
    sleep 0.5
    xdotool mousemove --window "$id" 115 72 click 1
    sleep 0.5
    height=$(xwininfo -id "$id" | awk "/Height:/ {print \$2}")
    xdotool mousemove --window "$id" 30 $((height - 86)) click 1
    sleep 0.5
  fi
  import -window "$id" "$out"
  pkill -f "$top/build/release/src/tarnwick" || true
'
echo "saved $out"
