#!/usr/bin/env bash
# Installs what the build, the program and the tests need (Debian 12 packages), then configures
# and builds: everything, or only the ninja targets named in VXM_TARGETS. Quick when everything is
# already there.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config clang
  qt6-base-dev qt6-serialport-dev libxlsxwriter-dev
  libgtest-dev googletest libbenchmark-dev
  xvfb xauth unzip python3-openpyxl python3-pyvisa python3-pyvisa-py
  fonts-liberation fonts-wqy-microhei
  libqt6sql6-sqlite libqt6sql6-psql postgresql
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

BUILD_DIR=${VXM_BUILD_DIR:-build}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
export CCACHE_BASEDIR=$PWD
# -D options given here reach the build folder whether or not it exists yet.
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [ $# -gt 0 ]; then
  cmake -S . -B "$BUILD_DIR" "$@"
fi
# shellcheck disable=SC2086  # VXM_TARGETS is a list of target names
cmake --build "$BUILD_DIR" ${VXM_TARGETS:+--target $VXM_TARGETS}
