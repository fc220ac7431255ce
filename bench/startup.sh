#!/usr/bin/env bash
# Start-up cost of Tarnwick against a minimal Qt Widgets program that shows
# an empty 800 x 600 main window: both are built here, then run alternately
# on one virtual X display (the platform a desktop user has), from launch
# to their first painted window.
# Prints the medians of wall time and peak memory and the two ratios.
# Usage: bench/startup.sh [runs]   (default 15)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
build=$top/build/bench
if [ -z "${TARNWICK_BENCH_DISPLAY:-}" ]; then
  "$top/scripts/install-deps.sh"
fi
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_TESTS=OFF \
  -DTARNWICK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target startup_probe minimal_window >/dev/null
export QT_QPA_PLATFORM=xcb
# Run the rest of this script on a virtual display of its own.
if [ -z "${TARNWICK_BENCH_DISPLAY:-}" ]; then
  export TARNWICK_BENCH_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$runs"
fi

measure() {  # prints "<milliseconds> <peak KiB>"
  local memory start end
  memory=$(mktemp)
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$memory" "$1" 2>/dev/null
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(cat "$memory")"
  rm -f "$memory"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One warm-up run each, so that neither pays for a cold file cache.
measure "$build/bench/startup_probe" >/dev/null
measure "$build/bench/minimal_window" >/dev/null
: >/tmp/tarnwick-startup.$$
for _ in $(seq 1 "$runs"); do
  echo "tarnwick $(measure "$build/bench/startup_probe")" >>/tmp/tarnwick-startup.$$
  echo "minimal $(measure "$build/bench/minimal_window")" >>/tmp/tarnwick-startup.$$
done

t_wall=$(awk '$1 == "tarnwick" { print $2 }' /tmp/tarnwick-startup.$$ | median)
m_wall=$(awk '$1 == "minimal" { print $2 }' /tmp/tarnwick-startup.$$ | median)
t_mem=$(awk '$1 == "tarnwick" { print $3 }' /tmp/tarnwick-startup.$$ | median)
m_mem=$(awk '$1 == "minimal" { print $3 }' /tmp/tarnwick-startup.$$ | median)
rm -f /tmp/tarnwick-startup.$$

echo "runs: $runs each, alternating"
printf "wall time   tarnwick %8.1f ms   minimal %8.1f ms   ratio %.3f (target <= 1.5)\n" \
  "$(echo "$t_wall / 1000" | bc -l)" "$(echo "$m_wall / 1000" | bc -l)" "$(echo "$t_wall / $m_wall" | bc -l)"
printf "peak memory tarnwick %8d KiB  minimal %8d KiB  ratio %.3f (target <= 1.3)\n" \
  "$t_mem" "$m_mem" "$(echo "$t_mem / $m_mem" | bc -l)"
