#!/usr/bin/env bash
# Plays the game built with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) in a private virtual display: the welcome picture, Enter,
# walking, jumping, looking around, every rendering switch, a reset, the pit,
# Escape, with sound; then each fatal start-up path. Fails when a sanitizer reports
# anything or the game does not end the way it should.
#
# Leak detection stays on. Mesa's software driver leaks when it is unloaded,
# which no suppression can match, so a do-nothing dlclose is preloaded after
# the sanitizer runtime (tests/sanitize/mesashim.c, which says what else it
# does): nothing is unloaded and only real leaks remain.
#
#   scripts/asan-play.sh            build build-asan/ and play
#   ASAN_BUILD_DIR=dir scripts/asan-play.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
root=$PWD
build_dir=${ASAN_BUILD_DIR:-build-asan}
out="$root/out/asan-play"
rm -rf "$out"
mkdir -p "$out"

cmake -S . -B "$build_dir" -G Ninja -DQUARRYSTACK_SANITIZE=ON >/dev/null
ninja -C "$build_dir" quarrystack mesashim
game="$root/$build_dir/quarrystack"
sanitizer_preload=$(cat "$build_dir/tests/sanitizer-preload")
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=99
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failures=0
fail() { echo "asan-play: FAIL: $*"; failures=$((failures + 1)); }

# Any sanitizer report in a run's standard error counts against us.
check_reports() { # name errfile
  if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|SUMMARY: (Address|Undefined|Leak)' "$2"; then
    fail "$1: the sanitizers reported (see $2):"
    grep -E 'ERROR:|runtime error:|SUMMARY:' "$2" | head -5
  fi
}

start_xvfb 320x180
display=$xvfb_display

x() { DISPLAY=$display xdotool "$@"; }
key() { x keydown "$1"; sleep "${2:-0.5}"; x keyup "$1"; }
keys() { local t=$1; shift; x keydown "$@"; sleep "$t"; x keyup "$@"; }
wait_for() { # text seconds log
  local i
  for i in $(seq 1 $(($2 * 10))); do
    grep -q "$1" "$3" && return 0
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The full run, in the repository's data.
log="$out/play.out"
err="$out/play.err"
echo "asan-play: playing on $display"
# With sound, into OpenAL Soft's null device: at its warning level it names
# any source or buffer that the game left for it to delete.
DISPLAY=$display ALSOFT_DRIVERS=null ALSOFT_LOGLEVEL=2 LD_PRELOAD="$sanitizer_preload" "$game" >"$log" 2>"$err" </dev/null &
game_pid=$!
if wait_for "frametime:" 120 "$log"; then
  window=$(DISPLAY=$display timeout 30 xdotool search --sync --name "^Quarrystack" | head -n 1)
  x windowfocus --sync "$window"
  sleep 1
  key Return
  wait_for "RELOAD" 60 "$log" || fail "no RELOAD after Enter"
  sleep 1
  keys 2 w                        # into the first block
  keys 1 w space                  # up against it
  keys 0.8 s; keys 0.8 d; keys 0.8 a
  x mousemove_relative --sync -- 30 0; sleep 0.5
  x mousemove_relative --sync -- -60 10; sleep 0.5
  for f in F3 F3 F4 F5 F6 F7 F8 F10 F12; do key "$f" 0.4; sleep 0.3; done
  for k in u j h k l o; do key "$k" 0.3; done
  key Prior; key Next
  sleep 1
  for f in F12 F10 F8 F7 F6 F5 F5 F4; do key "$f" 0.4; done
  key r                           # reset the level
  sleep 1
  keys 3 w a                      # north-east into the pit
  sleep 1
  key r                           # play again from the game-over picture
  sleep 1
  key Escape
  status=0
  wait "$game_pid" || status=$?
  game_pid=""
  [ "$status" -eq 0 ] || fail "the game ended with status $status after Escape"
  grep -q "RELOAD" "$log" || fail "the game never started play"
else
  fail "the game did not start; its output ends with: $(tail -3 "$log")"
  kill "$game_pid" 2>/dev/null || true
  game_pid=""
fi
check_reports "play" "$err"
if grep -qE 'Deleted [0-9]+ (Source|Buffer)' "$err"; then
  fail "play: OpenAL sources or buffers were left to the library (see $err)"
fi

# The fatal start-up paths, each in a broken copy of the data.
broken_start() { # name message display setup-command...
  local name=$1 message=$2 run_display=$3
  shift 3
  local data
  data=$(mktemp -d)
  cp -r Shader Textures Data Sounds "$data/"
  (cd "$data" && "$@")
  local status=0
  (cd "$data" && DISPLAY=$run_display LD_PRELOAD="$sanitizer_preload" timeout 120 "$game" \
    >"$out/$name.out" 2>"$out/$name.err" </dev/null) || status=$?
  rm -rf "$data"
  [ "$status" -eq 255 ] || fail "$name: status $status, not 255"
  grep -q "^$message" "$out/$name.out" || fail "$name: no \"$message\" on standard output"
  check_reports "$name" "$out/$name.err"
  echo "asan-play: $name: status $status"
}
broken_start shader-missing "Failed to open shader-file" "$display" rm Shader/line.frag
broken_start level-missing "Couldn't open file" "$display" rm Data/LevelFinal.dae
broken_start level-unreadable "Couldn't load File" "$display" cp "$root/tests/data/levels/garbage.dae" Data/LevelFinal.dae
broken_start level-without-player "Level error: " "$display" cp "$root/tests/data/levels/no_player.dae" Data/LevelFinal.dae
broken_start no-display "GLFW failed" "" true

if [ "$failures" -ne 0 ]; then
  echo "asan-play: $failures failure(s); logs in $out"
  exit 1
fi
echo "asan-play: no sanitizer reports; logs in $out"
