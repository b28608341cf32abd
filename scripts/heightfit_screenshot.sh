#!/usr/bin/env bash
# Makes the picture of the GNSS height fit's HTML report as a browser renders it
# (docs/heightfit_report.png), from examples/heightfit/common.txt fitted with the quadratic
# surface. Installs the headless browser through the set-up's docs group; builds vantrel-cli,
# which writes the report, unless VANTREL_CLI names one already built.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh docs
cli=${VANTREL_CLI:-}
if [ -z "$cli" ]; then
  if [ ! -f build/default/CMakeCache.txt ]; then cmake --preset default; fi
  cmake --build build/default -j 2 --target vantrel-cli
  cli=build/default/cli/vantrel-cli
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" heightfit --model quadratic --report html --report-out "$work/heightfit.html" examples/heightfit/common.txt
mkdir -p docs
# The page is A4 wide at 96 dpi; the window is tall enough for the whole report, the drawing last.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --hide-scrollbars --force-device-scale-factor=1 \
  --window-size="${SHOT_SIZE:-860,1500}" --screenshot="$PWD/docs/heightfit_report.png" \
  "file://$work/heightfit.html" 2>/dev/null
echo "docs/heightfit_report.png is written."
