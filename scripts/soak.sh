#!/usr/bin/env bash
# Plays the game for a long time and watches its memory and GL objects.
#
#   scripts/soak.sh [MINUTES]        (default 10)
#   BUILD_DIR=build-asan scripts/soak.sh 3   (the sanitizer build)
#
# Runs the soak driver (tools/soak: the game itself, sampling its resident
# memory and live GL and OpenAL objects every few seconds) in a private 320x180 Xvfb and
# plays it with xdotool, round after round: every settings key, mouse look,
# walking, jumping, resets, the game-over picture (a walk into the moat) and
# an attempt at the win picture (the route over the block). The samples count
# the win and game-over pictures reached. Writes out/soak/samples.txt and
# out/soak/console.log and prints the first, middle and last samples. Exits
# non-zero when the game fails, when its resident memory grew by more than
# SOAK_MAX_RSS_KB (default 4096; no limit for the sanitizer build) over the
# second half of the run, when the live GL objects grew by more than
# SOAK_MAX_GL (default 0) at all, or when the live OpenAL sources and buffers
# grew at all. The sound plays into OpenAL Soft's
# null device (ALSOFT_DRIVERS, unless set), so its objects exist with no card.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
minutes=${1:-10}
every=${SOAK_EVERY:-5}
max_rss_growth=${SOAK_MAX_RSS_KB:-4096}
max_gl_growth=${SOAK_MAX_GL:-0}
build_dir=${BUILD_DIR:-build}

[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target soak >/dev/null
driver="$PWD/$build_dir/tools/soak"
# A sanitizer build (BUILD_DIR=build-asan) plays with leak checking on; its
# runtime and the Mesa shim go to the driver alone, never to Xvfb.
preload=""
if grep -q '^QUARRYSTACK_SANITIZE:BOOL=ON' "$build_dir/CMakeCache.txt"; then
  cmake --build "$build_dir" --target mesashim >/dev/null
  preload=$(cat "$build_dir/tests/sanitizer-preload")
  # The sanitizer runtime holds freed memory in quarantine (up to 256 MB) and
  # keeps every new allocation stack, so resident memory grows by design; its
  # leak check at exit judges this build instead.
  max_rss_growth=${SOAK_MAX_RSS_KB:-$((1 << 30))}
fi

out="$PWD/out/soak"
rm -rf "$out"
mkdir -p "$out"

start_xvfb 320x180
export DISPLAY=$xvfb_display

# The game's data is the repository's own; the per-frame lines are dropped.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
LD_PRELOAD="$preload" "$driver" --every "$every" 2>"$out/samples.txt" > >(grep --line-buffered -v '^frametime: ' >"$out/console.log") &
game_pid=$!

alive() { kill -0 "$game_pid" 2>/dev/null; }
fail() { echo "soak: $*"; tail -5 "$out/console.log"; exit 1; }

for _ in $(seq 1 600); do
  grep -q ' start$' "$out/samples.txt" 2>/dev/null && break
  alive || fail "the game ended during start-up"
  sleep 0.1
done
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Quarrystack' | sed -n 1p)
[ -n "$window" ] || fail "no game window"
xdotool windowfocus --sync "$window"
sleep 1

# Holds of 150 ms or more: a shorter tap can fall between two frames.
key() { xdotool keydown "$1"; sleep "${2:-0.2}"; xdotool keyup "$1"; sleep 0.15; }
chord() { xdotool keydown $1; sleep "$2"; xdotool keyup $1; }

settings_round() {
  for k in F3 F4 F5 F6 F7 F8 F10 F12 Prior Next; do key "$k"; done
  key F3 # wireframe back off: it hides the bloom pass
  for pair in "u j" "h k" "l o"; do
    set -- $pair
    key "$1" 0.3
    key "$2" 0.3
  done
  for _ in 1 2 3; do
    xdotool mousemove_relative -- 30 0; sleep 0.2
    xdotool mousemove_relative -- -30 10; sleep 0.2
    xdotool mousemove_relative -- 0 -10; sleep 0.2
  done
  chord "w" 0.5; chord "s" 0.5; chord "a" 0.3; chord "d" 0.3; key space
}

# North past the start, east until the crates stop the player, then north
# into the moat: the game-over picture.
lose_round() {
  key r
  sleep 0.5
  chord "w" 0.5
  chord "a" 3.0
  chord "w space" 0.3
  chord "w" 3.5
  sleep 1.5
  key r # from the game-over picture straight into play
}

# An attempt at the win picture by the route over the block (makelevel
# --route). Walked into at full speed the block is climbed rather than pushed,
# so it is pushed with short steps; the climb onto the ledge that follows
# rarely succeeds at this frame rate. R leads from the win picture back to the
# welcome picture, or resets the level when the route missed.
win_round() {
  key r
  sleep 0.5
  chord "w" 0.6
  for _ in $(seq 1 16); do chord "w" 0.15; sleep 0.2; done
  chord "w space" 3.0
  chord "w" 2.5
  chord "a" 0.8
  chord "a space" 0.25
  chord "a" 3.0
  sleep 1.5
  key r
}

deadline=$(($(date +%s) + minutes * 60))
rounds=0
while [ "$(date +%s)" -lt "$deadline" ]; do
  alive || fail "the game ended during round $rounds"
  key Return # the welcome picture, if it is up
  sleep 0.5
  settings_round
  lose_round
  win_round
  rounds=$((rounds + 1))
done

key Escape
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with status $status"
if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$out/samples.txt"; then
  grep -E -A12 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$out/samples.txt" | head -40
  fail "sanitizer report"
fi

echo "soak: $rounds rounds in $minutes min; samples in $out/samples.txt"
echo "columns: $(head -n 1 "$out/samples.txt")"
plays=$(grep -c ' play$' "$out/samples.txt")
first=$(grep -m 1 ' play$' "$out/samples.txt")
middle=$(grep ' play$' "$out/samples.txt" | sed -n "$(((plays + 1) / 2))p")
last=$(grep ' play$' "$out/samples.txt" | tail -n 1)
echo "start:    $(grep ' start$' "$out/samples.txt")"
echo "first:    $first"
echo "middle:   $middle"
echo "last:     $last"
echo "teardown: $(grep ' teardown$' "$out/samples.txt")"
read -r _ rss0 heap0 gl0 _ _ _ _ _ _ _ als0 alb0 _ <<<"$first"
read -r _ rss1 heap1 gl1 _ <<<"$middle"
read -r _ rss2 heap2 gl2 _ _ _ _ _ _ _ als2 alb2 _ <<<"$last"
echo "whole run:   rss $((rss2 - rss0)) kB, heap $((heap2 - heap0)) kB, GL objects $((gl2 - gl0)), AL sources $((als2 - als0)), AL buffers $((alb2 - alb0))"
echo "second half: rss $((rss2 - rss1)) kB, heap $((heap2 - heap1)) kB, GL objects $((gl2 - gl1))"
# The first minutes warm up (the driver compiles shader variants as settings
# change, allocators settle); a leak shows as growth that goes on after that.
if [ $((rss2 - rss1)) -gt "$max_rss_growth" ] || [ $((gl2 - gl0)) -gt "$max_gl_growth" ] ||
  [ "$als2" -gt "$als0" ] || [ "$alb2" -gt "$alb0" ]; then
  echo "soak: growth beyond the limits (rss $max_rss_growth kB in the second half, GL objects $max_gl_growth, AL objects 0)"
  exit 1
fi
