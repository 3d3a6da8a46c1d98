#!/usr/bin/env bash
# Starts the best program the build has: the game in its folder (build/tobrix, where its
# data, settings, packs and scores live) once it exists, else the example.
set -euo pipefail
build=$(cd "$(dirname "$0")/.." && pwd)/build
if [ -x "$build/bin/tobrix" ]; then
  mkdir -p "$build/tobrix"
  cd "$build/tobrix"
  exec "$build/bin/tobrix" "$@"
fi
if [ -x "$build/bin/hello" ]; then exec "$build/bin/hello" "$@"; fi
echo "No program built yet: build/bin holds the runtime only." >&2
exit 1
