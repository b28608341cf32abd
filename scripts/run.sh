#!/usr/bin/env bash
# Installs what is missing, builds and starts the calculator.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh default
APP=build/default/app/vantrel
if [ ! -x "$APP" ]; then
  echo "Vantrel's routines are built; the calculator window comes next."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display to show the calculator on: start it from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
exec "$APP" "$@"
