#!/usr/bin/env bash
# Configures and builds the game, its tools and its tests into build/ (or $BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DQUARRYSTACK_SANITIZE=ON.
# BUILD_TARGET=quarrystack builds that target alone (what scripts/play.sh needs).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/configure.sh
build_dir=${BUILD_DIR:-build}
configure . "$build_dir" "$@"
cmake --build "$build_dir" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
