#!/usr/bin/env bash
# Starts the best program the build has: the game once it exists, else the example.
set -euo pipefail
bin=$(cd "$(dirname "$0")/.." && pwd)/build/bin
for candidate in tobrix hello; do
  if [ -x "$bin/$candidate" ]; then exec "$bin/$candidate" "$@"; fi
done
echo "No program built yet: build/bin holds the runtime only." >&2
exit 1
