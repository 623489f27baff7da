#!/usr/bin/env bash
# Configures and builds the game, its tools and its tests into build/ (or $BUILD_DIR).
# Extra arguments go to CMake's configure step, e.g. -DQUARRYSTACK_SANITIZE=ON.
# BUILD_TARGET=quarrystack builds that target alone (what scripts/play.sh needs).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build_dir" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
