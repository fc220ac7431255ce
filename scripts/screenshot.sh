#!/usr/bin/env bash
# Starts Tarnwick through scripts/run.sh on a virtual screen and saves a
# picture of its window:
#   scripts/screenshot.sh [output.png [MODES [WIDTHxHEIGHT]]]
# MODES is a comma-separated list: "expanded" clicks both "Show Setup"
# buttons, "array" only the array panel's, "graph" shows the level graph
# strip from the Preferences menu, "all" also picks "All Areas" and
# "Broadband (A)" in it, "tall" drags the strip's top edge 250 pixels up,
# "map" shows the coverage map, "tolerance" the graph's tolerance band,
# "rigging" opens the rigging table, "optimise" the splay optimiser and
# "prediction" the prediction options with the recommended set picked (the
# picture is then of the whole screen), "fit" zooms to the design (View >
# Fit Design), "hover" rests the cursor on the side view so that the status
# bar reads out the point under it.
# The window is 800x600 unless a size is given.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/docs/screenshot.png}
modes=",${2:-},"
size=${3:-800x600}
"$top/scripts/install-deps.sh"
export out top modes size
# Settings of its own, so that a graph height dragged here or before does not carry over.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
xvfb-run -a -s "-screen 0 2100x1100x24" bash -c '
  "$top/scripts/run.sh" >/dev/null 2>&1 &
  app=$!  # run.sh ends by becoming the program: this id is the window'"'"'s own
  source "$top/scripts/await-window.sh"
  await_window 300 || exit 1
  sleep 1  # let the first paint finish
  xdotool windowmove "$id" 0 0 windowsize "$id" "${size%x*}" "${size#*x}"
  sleep 1
  width=$(xwininfo -id "$id" | awk "/Width:/ {print \$2}")
  height=$(xwininfo -id "$id" | awk "/Height:/ {print \$2}")
  click() { xdotool mousemove --window "$id" "$1" "$2" click 1; sleep 0.5; }
  case $modes in *,expanded,*|*,array,*) click 86 97 ;; esac
  # The area panel'"'"'s button sits at the right end of the collapsed panel.
  case $modes in *,expanded,*) click $((width - 62)) 97 ;; esac
  # Preferences is the third menu, Tools the fourth.
  case $modes in *,graph,*|*,all,*) click 150 8; click 190 72 ;; esac
  case $modes in *,map,*) click 150 8; click 190 94; sleep 2 ;; esac
  case $modes in *,tolerance,*) click 150 8; click 190 116 ;; esac
  # The strip'"'"'s top edge: it takes a third of the room under the panels (at least 97
  # pixels) and ends 29 pixels above the window'"'"'s bottom, over the status bar.
  strip=$(( height - 29 - ( (height - 152) / 3 > 97 ? (height - 152) / 3 : 97 ) ))
  if [[ $modes == *,all,* ]]; then
    # The area list and the band list at the left end of the strip, which
    # starts right of an expanded array panel: the last entry of each.
    x=40
    case $modes in *,expanded,*|*,array,*) x=214 ;; esac
    for y in $((strip + 53)) $((strip + 77)); do
      click "$x" "$y"
      xdotool key End Return
      sleep 0.5
    done
  fi
  if [[ $modes == *,tall,* ]]; then
    x=400
    xdotool mousemove --window "$id" "$x" $((strip + 2)) mousedown 1
    for step in 1 2 3 4 5; do
      xdotool mousemove --window "$id" "$x" $((strip + 2 - 50 * step))
      sleep 0.2
    done
    xdotool mouseup 1
    sleep 0.5
  fi
  if [[ $modes == *,fit,* ]]; then
    # View > Fit Design, by its key once the side view has the focus.
    xdotool mousemove --window "$id" $((width / 2)) $((height / 2)) click 2
    sleep 0.3
    xdotool key --window "$id" f
    sleep 1
  fi
  if [[ $modes == *,hover,* ]]; then
    # The cursor over the middle area, so that the status bar reads it out.
    xdotool mousemove --window "$id" $((width * 55 / 100)) $((height * 78 / 100))
    sleep 0.3
    xdotool mousemove --window "$id" $((width * 55 / 100 + 1)) $((height * 78 / 100))
    sleep 0.7
  fi
  if [[ $modes == *,prediction,* ]]; then
    # The last entry of the Preferences menu; its window beside the main one.
    click 150 8
    xdotool key Up Return
    sleep 1
    form=$(xdotool search --name "^Prediction$" | head -1)
    xdotool windowmove "$form" "$((width + 10))" 0
    sleep 0.5
    xdotool key --window "$form" alt+r
    sleep 2
  fi
  if [[ $modes == *,prediction,* ]]; then
    import -window root -crop "$((width + 380))x$((height + 10))+0+0" "$out"
  elif [[ $modes == *,rigging,* || $modes == *,optimise,* ]]; then
    click 213 8
    crop="$((width + 40))x$((height + 40))+0+0"
    case $modes in *,rigging,*) click 250 101 ;; *) click 250 123; sleep 4 ;; esac
    if [[ $modes == *,optimise,* ]]; then
      # Beside the main window rather than over it.
      form=$(xdotool search --name "Optimise Splay Angles" | head -1)
      xdotool windowmove "$form" "$((width + 10))" 0
      crop="$((width + 800))x$((height + 10))+0+0"
    fi
    sleep 1
    import -window root -crop "$crop" "$out"
  else
    import -window "$id" "$out"
  fi
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
'
echo "saved $out"
