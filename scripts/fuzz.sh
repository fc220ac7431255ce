#!/usr/bin/env bash
# Fuzzes the project file reader with libFuzzer (clang, installed when
# missing), in memory and through paths of every kind in a scratch folder:
#   scripts/fuzz.sh [seconds]   (default 600)
# Seeds come from tests/fuzz/corpus; the growing corpus stays in
# build/fuzz/corpus; a failing input lands in tests/fuzz/failures, which the
# ordinary test build replays from then on.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
for package in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    { [ "$(id -u)" -eq 0 ] && apt-get install -y --no-install-recommends "$package" ||
      sudo apt-get install -y --no-install-recommends "$package"; }
done
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNWICK_FUZZ=ON -DTARNWICK_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/build/fuzz" -j"$(nproc)" --target fuzz_project_file
mkdir -p "$top/build/fuzz/corpus"
cp -n "$top"/tests/fuzz/corpus/*.qvd "$top/build/fuzz/corpus/"
"$top/build/fuzz/tests/fuzz/fuzz_project_file" "$top/build/fuzz/corpus" \
  -dict="$top/tests/fuzz/project_file.dict" -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix="$top/tests/fuzz/failures/" -print_final_stats=1
