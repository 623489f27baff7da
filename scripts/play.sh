#!/usr/bin/env bash
# Sets up, builds the game alone (not its tools and tests) and starts it; its
# arguments go to the game (scripts/play.sh --windowed). On a desktop it opens
# full screen. Where no display exists and no arguments are given it plays a
# short scripted demo inside a private virtual display (Xvfb) and prints where
# its screenshots are: the welcome picture, the quarry, a block pushed against
# the rock face, a look round at the lift and the ledge, the same in
# wireframe, and a walk into the flooded pit. It takes about a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
scripts/setup.sh
BUILD_TARGET=quarrystack scripts/build.sh
game="$PWD/build/quarrystack"

if [ $# -gt 0 ] || { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
  exec "$game" "$@"
fi

out="$PWD/out/demo"
rm -rf "$out"
mkdir -p "$out"
log="$out/console.log"
echo "play: no display found; playing a scripted demo in a virtual 640x360 display"

start_xvfb 640x360
export DISPLAY=$xvfb_display

"$game" >"$log" 2>&1 </dev/null &
game_pid=$!

# Waits until the console shows a line containing $1 (at most $2 seconds).
wait_for() {
  for _ in $(seq 1 $(($2 * 10))); do
    grep -q "$1" "$log" && return 0
    kill -0 "$game_pid" 2>/dev/null || { echo "play: the game ended early:"; tail -5 "$log"; exit 1; }
    sleep 0.1
  done
  echo "play: timed out waiting for '$1'"
  exit 1
}

# The game's own clock: a software renderer draws a few frames a second at
# this size, and the physics advances at most 30/60 s a frame, so keys are
# held until the "frametime:" lines add up to the wanted time of play.
console_lines() { wc -l <"$log"; }
played_since() { # seconds of play simulated after console line $1
  awk -v from="$1" 'NR > from && /^frametime: / { t = $2 + 0; s += (t > 500 ? 500 : t) }
                    END { printf "%.3f\n", s / 1000 }' "$log"
}
play_for() { # seconds
  local from
  from=$(console_lines)
  while awk -v a="$(played_since "$from")" -v b="$1" 'BEGIN { exit !(a < b) }'; do
    kill -0 "$game_pid" 2>/dev/null || { echo "play: the game ended early"; exit 1; }
    sleep 0.05
  done
}
hold() { # seconds keys...
  local seconds=$1
  shift
  xdotool keydown "$@"
  play_for "$seconds"
  xdotool keyup "$@"
}
# Keys are read once a frame, and a frame here can take most of a second.
key() { xdotool keydown "$1"; sleep 1; xdotool keyup "$1"; }
# The mouse turns the view by 1/60 radian a pixel, and the game puts the
# cursor back in the middle of the screen every frame: each move goes to a
# place 10 pixels beside the middle and waits two frames, the second of
# which starts after the move was read.
turn() { # radians, positive to the right
  local pixels step=10 seen
  pixels=$(awk -v r="$1" 'BEGIN { printf "%d", (r < 0 ? -r : r) * 60 }')
  case $1 in -*) step=-10 ;; esac
  while [ "$pixels" -gt 0 ]; do
    seen=$(console_lines)
    xdotool mousemove -- $((320 + step)) 180
    while [ "$(grep -c '^frametime: ' <(tail -n +"$((seen + 1))" "$log"))" -lt 2 ]; do sleep 0.02; done
    pixels=$((pixels - 10))
  done
  play_for 0.3
}
shot() {
  import -window root "$out/$1.png"
  echo "  $out/$1.png: $2"
}

wait_for "frametime:" 120
window=$(timeout 30 xdotool search --sync --name "Quarrystack" | head -n 1)
xdotool windowfocus --sync "$window"
play_for 0.5
echo "play: screenshots"
shot 1-welcome "the welcome picture"

key Return
wait_for "RELOAD" 60
play_for 1
shot 2-quarry "the quarry floor; the first block stands straight ahead"

hold 2.6 w
hold 1.2 s
shot 3-pushed-block "the block pushed against the rock face below the ledge"

turn 1.0
shot 4-west "turned west: the lift that rises to the ledge"
turn -2.0
shot 5-east "turned east: the far side of the quarry with the crane"

key F3
play_for 0.3
shot 6-wireframe "the same in wireframe (F3)"
key F3
key F6

key r
play_for 0.5
hold 2.5 w a
sleep 1
shot 7-game-over "walked into the flooded pit"
key r
play_for 0.5
xdotool keydown Escape
for _ in $(seq 1 300); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
xdotool keyup Escape
wait "$game_pid" && status=0 || status=$?
game_pid=""
echo "play: the game ended with status $status; its console output is in $log"
