#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $BUILD_DIR) and runs the unit tests, the GL tests and the
# bad-input end-to-end suite there, against the sanitizer build of the game.
# Leak checking stays on throughout; the tests' environment (set by CMake)
# preloads the runtime and a shim that keeps Mesa's driver loaded
# (tests/sanitize/mesashim.c), and
# the end-to-end tests give the slower game four times their usual time.
# Exits non-zero on any failure or sanitizer report.
#
# Extra arguments go to ctest, e.g. scripts/sanitize.sh -j1.
#
# The ordinary build's suite runs against any game binary too; for the
# sanitizer build's game it needs the same preload:
#   QUARRYSTACK_GAME=build-asan/quarrystack QUARRYSTACK_TIME_SCALE=4 \
#   LD_PRELOAD="$(cat build-asan/tests/sanitizer-preload)" \
#     build/tests/e2e_tests --gtest_filter='*BadInput*:*OddInput*'
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-asan}

cmake -S . -B "$build_dir" -G Ninja -DQUARRYSTACK_SANITIZE=ON >/dev/null
cmake --build "$build_dir" --target quarrystack unit_tests gl_tests e2e_tests

status=0
run() {
  echo "sanitize: ctest $*"
  ctest --test-dir "$build_dir" --output-on-failure "$@" || status=1
}
run -L unit -j2 "$@"
run -L gl "$@"
run -L e2e -R 'BadInput|OddInput' "$@"
[ "$status" -eq 0 ] && echo "sanitize: all clean" || echo "sanitize: FAILURES above"
exit "$status"
