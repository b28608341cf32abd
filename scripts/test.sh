#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite through CTest,
# then a short smoke run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

./scripts/build.sh default
ctest --preset default

# Fuzz smoke run: each target for a few seconds (FUZZ_SECONDS to change).
./scripts/build.sh fuzz
./scripts/fuzz.sh "${FUZZ_SECONDS:-5}"
