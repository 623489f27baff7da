#!/usr/bin/env bash
# Rewrites the golden pictures in tests/data/golden/ after an intended change
# of what the game draws: builds the golden tool, renders every view at
# 320x180 and 640x360 in a private virtual display (Xvfb) and replaces the
# references. Look at the new pictures before committing them.
# Set BUILD_DIR to use another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target golden >/dev/null
golden="$PWD/$build_dir/tools/golden"
refs="$PWD/tests/data/golden"

start_xvfb 640x360
export DISPLAY=$xvfb_display

# A view that no longer exists must not leave its old picture behind.
mkdir -p "$refs"
rm -f "$refs"/*.png
for size in 320x180 640x360; do
  "$golden" --out "$refs" --width "${size%x*}" --height "${size#*x}"
done
test -n "$(ls "$refs"/*.png 2>/dev/null)" || { echo "update-golden: no pictures were written" >&2; exit 1; }
echo "update-golden: $(ls "$refs"/*.png | wc -l) pictures in tests/data/golden/; review them (git diff --stat) and commit"
