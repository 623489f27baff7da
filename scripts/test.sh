#!/usr/bin/env bash
# Sets up a fresh machine, builds everything and runs every test layer
# (unit, gl, e2e). Exits non-zero when a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j2 -LE web "$@"
