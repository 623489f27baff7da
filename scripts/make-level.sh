#!/usr/bin/env bash
# Rebuilds the level generator and rewrites Data/LevelFinal.dae and the test
# levels under tests/data/levels/ from it. Commit what changes: the unit test
# level_reproducible_test compares the committed files with fresh output.
#   scripts/make-level.sh [build-dir]      (default: build)
#   scripts/make-level.sh --route          print the route through the level
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="build"
route=0
for arg in "$@"; do
  case "$arg" in
    --route) route=1 ;;
    *) build="$arg" ;;
  esac
done
case "$build" in
  /*) ;;
  *) build="$root/$build" ;;
esac

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" --target makelevel

if [ "$route" -eq 1 ]; then
  exec "$build/tools/makelevel" --route
fi
"$build/tools/makelevel" --root "$root"
