#!/usr/bin/env bash
# Start-up of Tarnwick against a minimal Qt main window of the same size:
# launch to first frame and peak memory, on the offscreen platform and on a
# virtual X display started here (-noreset, so the server does not reset
# between clients and no run pays for that). startup_bench does the timing
# and prints both figures, the ratios and, last, PASS or FAIL.
# Usage: bench/startup.sh [runs]   (default 41 each, per platform: a steady median)
# TARNWICK_BENCH_BUILD chooses the build directory (default build/bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-41}
build=${TARNWICK_BENCH_BUILD:-$top/build/bench}

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_TESTS=OFF \
  -DTARNWICK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target startup_probe startup_baseline startup_bench >/dev/null

# A runtime directory of our own, as a desktop session has one.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR

# A display number nobody uses.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -noreset -nolisten tcp -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT
for _ in $(seq 1 100); do
  xdpyinfo -display ":$n" >/dev/null 2>&1 && break
  sleep 0.1
done

DISPLAY=":$n" "$build/bench/startup_bench" "$build/bench/startup_probe" \
  "$build/bench/startup_baseline" "$runs"
