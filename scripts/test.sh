#!/usr/bin/env bash
# Command 2: set up what is missing, build, and run every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cd build
ctest --output-on-failure -j "$(nproc)" "$@"
