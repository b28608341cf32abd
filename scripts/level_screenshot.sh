#!/usr/bin/env bash
# Makes the levelling examples' reports (examples/levelling/*_report.*) and the picture of the
# connecting route's HTML report as a browser renders it (docs/level_report.png), as
# scripts/traverse_screenshot.sh does for the traverse. BUILD_DIR chooses the build (default
# build/default, configured and built here when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh docs
build=${BUILD_DIR:-build/default}
if [ ! -f "$build/CMakeCache.txt" ]; then cmake --preset default; fi
cmake --build "$build" -j 2 --target vantrel-cli

examples=examples/levelling
for name in connecting closed fieldbook; do
  "$build/cli/vantrel-cli" level -o "$examples/${name}_report.txt" "$examples/$name.txt"
  "$build/cli/vantrel-cli" level --report html -o "$examples/${name}_report.html" "$examples/$name.txt"
done

mkdir -p docs
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
# The page is A4 wide at 96 dpi; the window is tall enough for the table and the profile.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
  --window-size="${SHOT_SIZE:-860,820}" --screenshot="$PWD/docs/level_report.png" \
  "file://$PWD/$examples/connecting_report.html" 2>/dev/null
echo "docs/level_report.png and the reports in $examples/ are written."
