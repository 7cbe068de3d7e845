#!/usr/bin/env bash
# Installs what is missing (Debian packages) and builds Kalvex and its solver.
# Usage: scripts/setup.sh [build directory [cmake options...]]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          gnuplot-nox fonts-sil-abyssinica fonts-dejavu-core xvfb xauth)
install_packages "${packages[@]}"

build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${KALVEX_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
