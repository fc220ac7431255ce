#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless twice:
# a Release build, and a Debug build under AddressSanitizer and
# UndefinedBehaviorSanitizer; then makes and checks the Debian package.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
  local dir=$1
  shift
  cmake -S "$top" -B "$dir" "$@"
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== Sources are formatted as .clang-format says"
"$top/scripts/check-format.sh"
echo "== Every layer includes only the layers below it"
python3 "$top/scripts/check-layers.py"
echo "== No hand-written function is over 60 lines"
python3 "$top/scripts/check-function-length.py"
echo "== Generated tables and expected figures are what their scripts write"
python3 "$top/tools/make_directivity.py" --check
python3 "$top/tools/make_expected.py" --check

echo "== Release"
run_suite "$top/build/test-release" -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_BENCH=ON
echo "== Debug with AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite "$top/build/test-asan" -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON
echo "== Debian package"
"$top/scripts/package.sh"
