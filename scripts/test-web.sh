#!/usr/bin/env bash
# The browser build and its test: installs Emscripten and Chromium when they
# are missing, builds the game for the browser (scripts/web.sh) and the
# desktop tests, and plays the page in headless Chromium (ctest label web).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --web
scripts/web.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -L web
