#!/usr/bin/env bash
# Pictures of the window with the coverage map and the level graph shown, at the window
# sizes and scale factors a user meets, for looking over by eye (nothing cut, nothing over
# the section):
#   scripts/screenshot-sizes.sh [output-directory]
# writes <width>x<height>@<scale>.png for 800x600, 1600x1000 and 3840x2160 at scale
# factors 1, 1.5 and 2. The sizes are of the screen's pixels; a window that cannot be that
# small at a scale factor stays at its least size.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/docs/sizes}
mkdir -p "$dir"
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_TESTS=OFF \
  >/dev/null
cmake --build "$top/build/release" -j"$(nproc)" --target tarnwick >/dev/null
export top dir
# Settings of its own, so that a graph height dragged on this machine does not show.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
for size in ${SIZES:-800x600 1600x1000 3840x2160}; do
  for scale in ${SCALES:-1 1.5 2}; do
    export size scale
    xvfb-run -a -s "-screen 0 $((${size%x*} + 40))x$((${size#*x} + 40))x24" bash -c '
      QT_SCALE_FACTOR=$scale "$top/build/release/src/tarnwick" >/dev/null 2>&1 &
      app=$!
      source "$top/scripts/await-window.sh"
      await_window 60 || exit 1
      sleep 1
      xdotool windowmove "$id" 0 0 windowsize "$id" "${size%x*}" "${size#*x}"
      sleep 1
      # Preferences by its key, then its entries by theirs.
      xdotool windowfocus --sync "$id"
      for entry in m s; do
        xdotool key alt+p
        sleep 0.5
        xdotool key "$entry"
        sleep 2
      done
      import -window "$id" "$dir/$size@$scale.png"
      kill "$app" 2>/dev/null || true
      wait "$app" 2>/dev/null || true
    '
    echo "saved $dir/$size@$scale.png"
  done
done
