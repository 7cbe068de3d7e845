#!/usr/bin/env bash
# Command 1: set up what is missing, build, lay out the workspace and start
# Kalvex with ExecutingFiles as its current directory.
# The workspace root is $KALVEX_WORKSPACE, by default ./workspace.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
root=${KALVEX_WORKSPACE:-$PWD/workspace}
scripts/layout-workspace.sh build "$root"
cd "$root/ExecutingFiles"
echo "Workspace: $root"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; starting Kalvex on a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" ./kalvex "$@"
fi
exec ./kalvex "$@"
