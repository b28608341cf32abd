#!/usr/bin/env bash
# Configures and builds one preset (default: "default"). Re-running only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
PRESET="${1:-default}"
if [ ! -f "build/$PRESET/CMakeCache.txt" ]; then
  cmake --preset "$PRESET"
fi
cmake --build --preset "$PRESET" -j "$(nproc)"
