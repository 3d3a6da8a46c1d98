#!/usr/bin/env bash
# Configures and builds into DIR (default build/), passing extra cmake arguments through.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
shift || true
# Let compiler-cache hits carry across clones of the project (paths taken relative to it).
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
