#!/usr/bin/env bash
# Fails, naming each file and line, where the C++ sources differ from what clang-format
# makes of them with the project's .clang-format. The generated directivity table is left
# out: tools/make_directivity.py writes it and checks it.
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    rewrite the files in place
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' \
  'bench/*.h' | grep -v '^src/acoustics/DirectivityTable\.cpp$')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
fi
