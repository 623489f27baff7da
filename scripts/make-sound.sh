#!/usr/bin/env bash
# Builds tools/makesound and regenerates the committed sounds under Sounds/.
# Commit the result: the unit test GeneratedFiles compares the tool's output
# with it byte for byte.
#   scripts/make-sound.sh            uses ./build (configures it if needed)
#   BUILD_DIR=out scripts/make-sound.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  generator=()
  if command -v ninja >/dev/null; then generator=(-G Ninja); fi
  cmake -S "$root" -B "$build" "${generator[@]}"
fi
cmake --build "$build" --target makesound
"$build/tools/makesound" "$root/Sounds"
echo "make-sound: wrote $root/Sounds"
