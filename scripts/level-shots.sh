#!/usr/bin/env bash
# Pictures of the chain's levels for the level guide: each level started with
# --level in a private 640x360 virtual display and seen from the player's
# start, written to docs/levels/<level>.jpg (or below the folder given). Run
# it after a level changes and look at the pictures.
#   scripts/level-shots.sh [OUT-DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
out="${1:-$PWD/docs/levels}"
mkdir -p "$out"
BUILD_TARGET=quarrystack scripts/build.sh >/dev/null
game="$PWD/build/quarrystack"
log=$(mktemp)
trap 'stop_xvfb_and_game; rm -f "$log"' EXIT

start_xvfb 640x360
export DISPLAY=$xvfb_display

count() { grep -c -- "$1" "$log" || true; }
# Waits until the console holds $2 lines containing $1 (the game is slow here).
wait_lines() {
  until [ "$(count "$1")" -ge "$2" ]; do
    kill -0 "$game_pid" 2>/dev/null || { echo "level-shots: the game ended early:"; tail -5 "$log"; exit 1; }
    sleep 0.1
  done
}
# A key held until the game has drawn three frames with it down.
key() {
  local seen
  seen=$(count '^frametime: ')
  xdotool keydown "$1"
  wait_lines '^frametime: ' $((seen + 3))
  xdotool keyup "$1"
}
shot() { # name: after 20 more frames
  wait_lines '^frametime: ' $(($(count '^frametime: ') + 20))
  import -window root -quality 85 "$out/$1.jpg"
}

for level in LevelFinal LevelShaft LevelBridge LevelCauseway LevelStairs LevelCarry; do
  : >"$log"
  XDG_CONFIG_HOME="$(mktemp -d)" XDG_STATE_HOME="$(mktemp -d)" \
    "$game" --level "Data/$level.dae" >"$log" 2>&1 </dev/null &
  game_pid=$!
  wait_lines '^frametime: ' 1
  key Return
  wait_lines '^RELOAD' 1
  key F9 # no crosshair or hint over the picture
  shot "$level"
  kill "$game_pid"
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
done
echo "level-shots: pictures in $out"
