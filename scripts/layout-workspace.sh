#!/usr/bin/env bash
# Lays out a workspace root from a build directory:
#   ROOT/ExecutingFiles/{kalvex, euler.exe, wgnuplot.exe}
#   ROOT/reference_valve_pocket.msh and the sample data files.
# Programs are replaced; the user's cases and data files are never touched.
# Usage: scripts/layout-workspace.sh BUILD_DIR ROOT
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build=$(cd "$1" && pwd)
root=$2
exe="$root/ExecutingFiles"
mkdir -p "$exe"

install -m 755 "$build/app/kalvex" "$exe/kalvex"
[ -x "$build/solver/euler.exe" ] && install -m 755 "$build/solver/euler.exe" "$exe/euler.exe"
install -m 755 "$src/tools/wgnuplot.exe" "$exe/wgnuplot.exe"

# The reference mesh is ours and may be updated; sample files are copied only
# where the user has none of that name.
[ -f "$src/data/reference_valve_pocket.msh" ] && install -m 644 "$src/data/reference_valve_pocket.msh" "$root/"
for f in "$src"/data/samples/*; do
  [ -e "$f" ] || continue
  [ -e "$root/$(basename "$f")" ] || install -m 644 "$f" "$root/"
done
