#!/usr/bin/env bash
# Builds the benchmark and runs it in a private virtual display (Xvfb) at
# 1280x720 and at 640x360 over the shipped level; prints both tables and
# keeps the JSON results in out/benchmark/.
#   scripts/benchmark.sh [--frames N]
#   scripts/benchmark.sh --against REV [--rounds N] [--frames N]
# Frames per run along the camera path: N, else 24 at 1280x720 and 60 at
# 640x360 (a software rasteriser takes most of a second per 720p frame).
# Set BUILD_DIR to use another build folder.
#
# --against REV also builds commit REV's benchmark and game (its sources
# exported to out/against/<commit>/, built there once) and runs the two
# builds by turns, N rounds (default 3), in a display of each size: each
# benchmark over the same camera path through its own build's frame, then
# each game full screen, standing at the start of the shipped level, timed by
# its own frame lines (scripts/lib/standing_start.py). It prints, per size,
# the median over the rounds of each figure for both builds and the ratio
# this / REV; fewer frames per run by default (12 and 30), since alternating
# rounds matter more on a busy machine than long runs.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
. scripts/lib/configure.sh
frames=""
against=""
rounds=3
while [ $# -gt 0 ]; do
  case "$1" in
    --frames) frames=${2:?--frames needs a number}; shift 2 ;;
    --against) against=${2:?--against needs a revision}; shift 2 ;;
    --rounds) rounds=${2:?--rounds needs a number}; shift 2 ;;
    *) echo "usage: scripts/benchmark.sh [--against REV [--rounds N]] [--frames N]" >&2; exit 2 ;;
  esac
done
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target benchmark quarrystack >/dev/null
bench="$PWD/$build_dir/tools/benchmark"
out="$PWD/out/benchmark"
mkdir -p "$out"

if [ -z "$against" ]; then
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
  exit 0
fi

commit=$(git rev-parse --verify "${against}^{commit}")
short=$(git rev-parse --short "$commit")
old="$PWD/out/against/$commit"
if [ ! -x "$old/build/tools/benchmark" ] || [ ! -x "$old/build/quarrystack" ]; then
  echo "building $short's benchmark and game in $old (once)"
  rm -rf "$old"
  mkdir -p "$old"
  git archive "$commit" | tar -x -C "$old"
  configure "$old" "$old/build"
  cmake --build "$old/build" --target benchmark quarrystack >/dev/null
fi
old_bench="$old/build/tools/benchmark"
results="$out/against-$short"
rm -rf "$results"
mkdir -p "$results"

for run in 1280x720:12 640x360:30; do
  size=${run%:*}
  # A display of the size: the games play full screen.
  start_xvfb "$size"
  export DISPLAY=$xvfb_display
  for round in $(seq "$rounds"); do
    # Turns swap every round, so a load that grows or fades over the run
    # weighs on both builds alike.
    order="old new"
    [ $((round % 2)) -eq 0 ] && order="new old"
    for side in $order; do
      if [ "$side" = old ]; then tool=$old_bench root=$old; else tool=$bench root=$PWD; fi
      echo "$size round $round/$rounds: $side" >&2
      table="$results/$size-$side-$round.txt"
      "$tool" --width "${size%x*}" --height "${size#*x}" --frames "${frames:-${run#*:}}" --data "$root" \
        >"$table" 2>"$results/$size-$side-$round.log"
      standing=$(python3 scripts/lib/standing_start.py "${tool%/tools/benchmark}/quarrystack" "$root" 30)
      echo "standing at the start: $standing ms median frame" >>"$table"
    done
  done
  kill "$xvfb_pid"
  xvfb_pid=""
done
python3 scripts/lib/compare_benchmarks.py "$results" "$short" $rounds
echo "each run's table and the game's console output: $results/"
