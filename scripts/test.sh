#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite through CTest once, under
# AddressSanitizer and UndefinedBehaviorSanitizer; then the product as shipped (optimised)
# with its Debian packages and a smoke run of every benchmark; then a short run of every
# fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

phase() { echo "== $1 ($(date +%T))"; }

# Every unit, GUI, command-line and Python test, with the sanitizers; a report ends the
# test that caused it.
phase "sanitizer build"
./scripts/build.sh asan
phase "sanitizer tests"
ctest --preset asan

# The optimised product: its packages are built and checked, and every benchmark runs once.
phase "release build"
./scripts/build.sh release
phase "release checks"
ctest --preset release

# Fuzz smoke run: a fixed number of inputs per target (FUZZ_RUNS to change).
phase "fuzz build"
./scripts/build.sh fuzz
phase "fuzz run"
./scripts/fuzz.sh "${FUZZ_RUNS:-20000}"
phase "done"
