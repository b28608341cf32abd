#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite through CTest,
# then the sanitizer build's suite and a short smoke run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

./scripts/build.sh default
ctest --preset default

if [ -f scripts/test_extra.sh ]; then
  ./scripts/test_extra.sh
fi
