#!/usr/bin/env bash
# Fails when a runtime source file differs from what clang-format makes of it (.clang-format).
# With --fix, formats them in place instead. The game's own files (its tests, data tools, replay
# planner and benchmark) are left to the game's owners. New files count before they are added.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files --cached --others --exclude-standard 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' \
  'fuzz/*.h' 'tools/*.cpp' 'tools/*.h' | grep -v -e '^tests/game' -e '^tools/gamedata/' -e '^tools/replay/' -e '^bench/game_bench')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files as .clang-format has them"
fi
