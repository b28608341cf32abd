#!/usr/bin/env bash
# Regenerates the pictures in docs/screenshots/ from the real windows, drawn by the X
# server of xvfb-run: the GUI tests' screenshot cases fill in their worked examples and
# save each window (main window and its three pages, the dialogs, the traverse diagram).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh default
out="$PWD/docs/screenshots"
rm -f "$out"/*.png
mkdir -p "$out"
tests=(
  build/default/tests/app/vantrel_app_test
  build/default/tests/plane/plane_ui_tests
  build/default/tests/plane/plane_stake_ui_tests
  build/default/tests/geodetic/quantity_ui/geodetic_quantity_ui_tests
  build/default/tests/transform/transform_ui_tests
)
# The stakeout dialog is pictured at the end of its worked example.
filter='*Screenshot*:StakeOutTest.PicksAndComputeGiveTheElements'
for t in "${tests[@]}"; do
  VANTREL_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$t" --gtest_filter="$filter" --gtest_brief=1
done
ls "$out"
