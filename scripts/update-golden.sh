#!/usr/bin/env bash
# Rewrites the golden pictures in tests/data/golden/ after an intended change
# of what the game draws: builds the GL tests and runs their golden test with
# QUARRYSTACK_UPDATE_GOLDEN set, which renders every view at 320x180 and
# 640x360 and writes it as the reference. Look at the new pictures before
# committing them. Set BUILD_DIR to use another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
refs="$PWD/tests/data/golden"
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target gl_tests >/dev/null

# A view that no longer exists must not leave its old picture behind.
mkdir -p "$refs"
rm -f "$refs"/*.png
log=$(mktemp)
trap 'rm -f "$log"' EXIT
QUARRYSTACK_UPDATE_GOLDEN=1 "$build_dir/tests/gl_tests" --gtest_filter='*Golden*' >"$log" 2>&1 ||
  { cat "$log" >&2; echo "update-golden: the golden test failed" >&2; exit 1; }
test -n "$(ls "$refs"/*.png 2>/dev/null)" || { echo "update-golden: no pictures were written" >&2; exit 1; }
echo "update-golden: $(ls "$refs"/*.png | wc -l) pictures in tests/data/golden/; review them (git diff --stat) and commit"
