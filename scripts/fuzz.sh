#!/usr/bin/env bash
# The fuzz targets on clang's libFuzzer, in build-fuzz/ (everything there is instrumented with
# the address and undefined-behaviour checkers; only the fuzz targets are built).
#
#   scripts/fuzz.sh check      build them; run each over its seeds and kept crash inputs
#   scripts/fuzz.sh SECONDS    build them; fuzz each in turn, SECONDS shared among them, and
#                              print the executions and findings of each
#
# New inputs go to build-fuzz/corpus/NAME, crash inputs to build-fuzz/crashes/NAME. Without
# clang's libFuzzer it says so and does nothing: the ordinary build runs every target over its
# inputs with the corpus driver instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build-fuzz
mode=${1:-check}
if [ "$mode" != check ] && ! [[ "$mode" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh check|SECONDS" >&2
  exit 2
fi

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  echo "fuzz: skipped, clang with libFuzzer not found"
  exit 0
fi

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKORVO_FUZZ=ON \
  -DKORVO_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target fuzz_targets

if [ "$mode" = check ]; then
  (cd "$dir" && ctest --output-on-failure -j"$(nproc)" -L fuzz)
  exit
fi

# Lines of targets.txt: NAME, then the target's own libFuzzer flags.
mapfile -t targets <"$dir/fuzz/targets.txt"
each=$((mode / ${#targets[@]}))
[ "$each" -ge 1 ] || each=1
found=0
printf '%-16s %14s %9s\n' target executions findings
for line in "${targets[@]}"; do
  read -r name flags <<<"$line"
  corpus=$dir/corpus/$name crashes=$dir/crashes/$name
  mkdir -p "$corpus" "$crashes"
  inputs=("$corpus" "$root/fuzz/corpus/$name")
  [ -d "$root/fuzz/crashes/$name" ] && inputs+=("$root/fuzz/crashes/$name")
  # shellcheck disable=SC2086 # the flags are separate words
  "$dir/fuzz/fuzz_$name" -max_total_time="$each" -print_final_stats=1 -artifact_prefix="$crashes/" $flags \
    "${inputs[@]}" >"$dir/fuzz/$name.log" 2>&1 || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz/$name.log" | tail -1)
  findings=$(find "$crashes" -type f | wc -l)
  found=$((found + findings))
  printf '%-16s %14s %9s\n' "$name" "${runs:-?}" "$findings"
done
echo "logs: $dir/fuzz/NAME.log; crash inputs: $dir/crashes/NAME (move one to fuzz/crashes/NAME once mended)"
[ "$found" -eq 0 ]
