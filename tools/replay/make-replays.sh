#!/usr/bin/env bash
# Writes game/replays/levelNN.txt, the input script of each game/replays/levelNN.plan, by
# letting the replay planner (the game with the plan as its controls) play Classic level NN
# headless in a copy of the game's folder. The score the level ends with goes into the
# script's first line, for the replay test to check. Run after building (scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for plan in "$root"/game/replays/level*.plan; do
  name=$(basename "$plan" .plan)
  level=$((10#${name#level}))
  rm -rf "$work/game" && mkdir -p "$work/game"
  # The levels and the pictures (collisions follow the sprites' masks), no settings or scores.
  cp -r "$build/tobrix/Tobrix Levels" "$work/game/"
  if [ -d "$build/tobrix/system" ]; then cp -r "$build/tobrix/system" "$work/game/"; fi
  cp "$plan" "$work/game/replay.plan"
  (cd "$work/game" && KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual \
    timeout 300 "$build/bin/korvo-run" "$build/game/tobrix-planner.kvm" -level "$level")
  # Scores.dat: the pack's name as a line, then its best score as a 4-byte integer.
  score=$(tail -c +10 "$work/game/Scores.dat" | head -c 4 | od -An -td4 | tr -d ' ')
  { echo "# Classic level $level from $name.plan by tools/replay/make-replays.sh; score $score"
    cat "$work/game/replay.txt"; } > "$root/game/replays/$name.txt"
  echo "$name: score $score, $(wc -l < "$work/game/replay.txt") key events"
done
