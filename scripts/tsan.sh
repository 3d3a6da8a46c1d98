#!/usr/bin/env bash
# Builds only the sound engine, music, stream and CD tests with ThreadSanitizer (in build-tsan/) and runs
# them: their race tests catch faults only under it. Any report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DKORVO_TSAN=ON -DKORVO_BENCH=OFF >/dev/null
cmake --build "$root/build-tsan" -j"$(nproc)" --target sound_engine_tests music_tests stream_tests cd_tests
export KORVO_VIDEO=headless KORVO_AUDIO=none TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
passed=0
for suite in sound_engine_tests music_tests stream_tests cd_tests; do
  if ! out=$("$root/build-tsan/tests/$suite" 2>&1); then
    echo "$out"
    echo "tsan: $passed passed, 1 failed"
    exit 1
  fi
  count=$(grep -oP '\[  PASSED  \] \K[0-9]+' <<<"$out")
  echo "$suite: $count tests passed under ThreadSanitizer"
  passed=$((passed + count))
done
echo "tsan: $passed passed, 0 failed"
