#!/usr/bin/env bash
# Installs the Debian packages Vantrel needs for building, testing, benchmarking,
# fuzzing, screenshots and its own Debian packages. Packages already present are skipped, so a second run is quick.
# Extra groups named on the command line add what only some scripts need:
#   docs   what the documentation pictures are made with (a headless browser)
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-noto-cjk
  xvfb xauth imagemagick
  librsvg2-bin dpkg-dev file fakeroot lintian desktop-file-utils appstream
  libproj-dev proj-bin
  libcli11-dev libfast-float-dev libeigen3-dev libsuitesparse-dev libopenblas-dev
  nlohmann-json3-dev
  libdxflib-dev libpugixml-dev
  python3
  pybind11-dev python3-dev python3-numpy python3-pytest python3-pyproj
  python3-pandas python3-dask python3-distributed python3-ezdxf
)

# Packages of the extra groups, by group name.
DOCS_PACKAGES=(
  chromium
)

for group in "$@"; do
  case "$group" in
    docs) PACKAGES+=("${DOCS_PACKAGES[@]}") ;;
    *) echo "setup.sh: unknown group '$group' (known: docs)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing missing packages: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "All required Debian packages are installed."
fi
