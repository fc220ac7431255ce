#!/usr/bin/env bash
# Installs what is missing, builds the program in Release and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_TESTS=OFF
cmake --build "$top/build/release" -j"$(nproc)" --target tarnwick
exec "$top/build/release/src/tarnwick" "$@"
