#!/usr/bin/env bash
# Builds the Debian packages vantrel and vantrel-dev from the default build into
# build/packages/, then shows what lintian says of them.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh default
rm -rf build/packages
cpack -G DEB --config build/default/CPackConfig.cmake -B build/packages
rm -rf build/packages/_CPack_Packages
ls -l build/packages/*.deb
lintian --fail-on error build/packages/*.deb
echo "lintian: no errors"
