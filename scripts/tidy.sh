#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the runtime's sources with the compile commands of BUILD
# (default build/); fails on any finding. Slow on two cores: run it before landing changes to
# src/, not on every build. Extra arguments go to run-clang-tidy (e.g. a file regex).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
[ -f "$build/compile_commands.json" ] || "$root/scripts/build.sh" "$build"
files='^'"$root"'/(src|tests|bench|fuzz|tools)/(?!game)(?!gamedata/)(?!replay/).*\.cpp$'
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "${@:-$files}"
