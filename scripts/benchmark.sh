#!/usr/bin/env bash
# Builds the benchmark and runs it in a private virtual display (Xvfb) at
# 1280x720 and at 640x360 over the shipped level; prints both tables and
# keeps the JSON results in out/benchmark/.
#   scripts/benchmark.sh [--frames N]
# Frames per run along the camera path: N, else 24 at 1280x720 and 60 at
# 640x360 (a software rasteriser takes most of a second per 720p frame).
# Set BUILD_DIR to use another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
frames=""
if [ "${1:-}" = "--frames" ] && [ -n "${2:-}" ]; then
  frames=$2
fi
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target benchmark >/dev/null
bench="$PWD/$build_dir/tools/benchmark"
out="$PWD/out/benchmark"
mkdir -p "$out"

start_xvfb 1280x720
export DISPLAY=$xvfb_display

for run in 1280x720:24 640x360:60; do
  size=${run%:*}
  width=${size%x*}
  height=${size#*x}
  echo "== ${size}"
  "$bench" --width "$width" --height "$height" --frames "${frames:-${run#*:}}" \
    --json "$out/benchmark-$size.json" 2>"$out/benchmark-$size.log"
  echo
done
echo "JSON results and the game's console output: $out/"
