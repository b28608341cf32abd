#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite through CTest,
# once more under AddressSanitizer and UndefinedBehaviorSanitizer, then a short smoke
# run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

./scripts/build.sh default
ctest --preset default

# The same suite with the sanitizers; a report ends the test that caused it.
./scripts/build.sh asan
ctest --preset asan

# Fuzz smoke run: a fixed number of inputs per target (FUZZ_RUNS to change).
./scripts/build.sh fuzz
./scripts/fuzz.sh "${FUZZ_RUNS:-20000}"
