#!/usr/bin/env bash
# Sets up, builds and starts the game. On a desktop it opens full screen.
# Where no display exists it plays a short scripted demo inside a private
# virtual display (Xvfb) and prints where its screenshots are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
game="$PWD/build/quarrystack"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$game"
fi

out="$PWD/out/demo"
rm -rf "$out"
mkdir -p "$out"
echo "play: no display found; playing a scripted demo in a virtual 1280x720 display"

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display_number"
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

"$game" >"$out/console.log" 2>&1 &
game_pid=$!

# Waits until the console shows a line containing $1 (at most $2 seconds).
wait_for() {
  for _ in $(seq 1 $(($2 * 10))); do
    grep -q "$1" "$out/console.log" && return 0
    kill -0 "$game_pid" 2>/dev/null || { echo "play: the game ended early:"; tail -5 "$out/console.log"; exit 1; }
    sleep 0.1
  done
  echo "play: timed out waiting for '$1'"; exit 1
}
key() { xdotool keydown "$1"; sleep "${2:-0.3}"; xdotool keyup "$1"; }
shot() { import -window root "$out/$1.png"; echo "  $out/$1.png"; }

wait_for "frametime:" 120
window=$(timeout 30 xdotool search --sync --name "Quarrystack" | head -n 1)
xdotool windowfocus --sync "$window"
sleep 2
echo "play: screenshots"
shot 1-welcome
key Return
wait_for "RELOAD" 60
sleep 3
shot 2-level
key w 2
shot 3-walked
xdotool mousemove_relative --sync -- -40 0
sleep 1
key w 1.5
shot 4-looked-around
key Escape
wait "$game_pid" && status=0 || status=$?
game_pid=""
echo "play: the game ended with status $status; its console output is in $out/console.log"
