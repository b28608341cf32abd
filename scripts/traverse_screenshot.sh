#!/usr/bin/env bash
# Makes the worked traverse examples' reports (examples/traverse/*_report.*) and the picture
# of the closed traverse's HTML report as a browser renders it (docs/traverse_report.png).
# Installs the headless browser through the set-up's docs group; builds vantrel-cli, which
# writes the reports.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh docs
if [ ! -f build/default/CMakeCache.txt ]; then cmake --preset default; fi
cmake --build build/default -j 2 --target vantrel-cli

examples=examples/traverse
for name in closed connecting; do
  build/default/cli/vantrel-cli traverse -o "$examples/${name}_report.txt" "$examples/$name.txt"
  build/default/cli/vantrel-cli traverse --report html -o "$examples/${name}_report.html" "$examples/$name.txt"
done

mkdir -p docs
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
# The page is A4 wide at 96 dpi; the window is tall enough for the tables and the sketch.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
  --window-size="${SHOT_SIZE:-860,1350}" --screenshot="$PWD/docs/traverse_report.png" \
  "file://$PWD/$examples/closed_report.html" 2>/dev/null
echo "docs/traverse_report.png and the reports in $examples/ are written."
