#!/usr/bin/env bash
# Writes the input scripts of game/replays by letting the replay planner (the game with a
# plan as its controls) play headless from the title screen in a copy of the game's folder:
#   levelNN.txt  Start Game, the Classic pack, level NN on the level grid (Scores.dat says NN
#                levels are open), the level as levelNN.plan plays it, then "Quit to Main
#                Menu" in the next level, which leaves the run at the level grid;
#   pack.txt     a new game from level 1 that plays all 20 levels, ending at the level grid.
# The score and levels played stored in Scores.dat go into each script's first line, for the
# replay test to check. Run after building (scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
replays=$root/game/replays
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 4-byte little-endian integer.
le32() {
  local v=$1 b
  for b in 0 8 16 24; do printf "\\$(printf %03o $(((v >> b) & 255)))"; done
}

# From the title to level $1 of the Classic pack, and that level being played.
menus_to_level() {
  printf 'wait 20\npress 5\nwait 3\npress 5\nwait 3\n'
  for ((i = 1; i < $1; i++)); do printf 'press 4\nwait 2\n'; done
  printf 'press 5\nplaying %d\n' "$1"
}

# Plays $2 (a plan) in a fresh copy of the game with Scores.dat $3 (or none), writes the
# script $1 with the header $4 and the stored results.
record() {
  local script=$1 plan=$2 scores=$3 header=$4
  rm -rf "$work/game" && mkdir -p "$work/game"
  # The levels and the pictures (collisions follow the sprites' masks), no settings or scores.
  cp -r "$build/tobrix/Tobrix Levels" "$work/game/"
  if [ -d "$build/tobrix/system" ]; then cp -r "$build/tobrix/system" "$work/game/"; fi
  if [ -n "$scores" ]; then cp "$scores" "$work/game/Scores.dat"; fi
  cp "$plan" "$work/game/replay.plan"
  (cd "$work/game" && KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual \
    timeout 600 "$build/bin/korvo-run" "$build/game/tobrix-planner.kvm" >/dev/null)
  # Scores.dat: "Classic" as a line, then the best score and the levels played.
  local score played
  score=$(tail -c +10 "$work/game/Scores.dat" | head -c 4 | od -An -td4 | tr -d ' ')
  played=$(tail -c +14 "$work/game/Scores.dat" | head -c 4 | od -An -td4 | tr -d ' ')
  { echo "$header; score $score, levels played $played"
    cat "$work/game/replay.txt"; } > "$script"
  echo "$(basename "$script"): score $score, levels played $played, $(wc -l < "$work/game/replay.txt") events"
}

for plan in "$replays"/level*.plan; do
  name=$(basename "$plan" .plan)
  level=$((10#${name#level}))
  { printf 'Classic\r\n'; le32 0; le32 "$level"; le32 $((level * 77)); } > "$work/scores"
  { menus_to_level "$level"
    cat "$plan"
    if [ "$level" -lt 20 ]; then
      printf 'playing %d\nescape\nwait 5\npress 2\nwait 3\npress 2\nwait 3\npress 5\n' $((level + 1))
    fi
    printf 'idle\nwait 10\nquit\n'
  } > "$work/plan"
  record "$replays/$name.txt" "$work/plan" "$work/scores" \
    "# Classic level $level through the menus, from $name.plan by tools/replay/make-replays.sh"
done

{ menus_to_level 1
  for plan in "$replays"/level*.plan; do
    name=$(basename "$plan" .plan)
    printf 'playing %d\n' $((10#${name#level}))
    cat "$plan"
  done
  printf 'idle\nwait 10\nquit\n'
} > "$work/plan"
record "$replays/pack.txt" "$work/plan" "" \
  "# Classic pack, levels 1 to 20 in one game, from every levelNN.plan by tools/replay/make-replays.sh"
