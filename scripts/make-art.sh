#!/usr/bin/env bash
# Builds tools/makeart and regenerates the committed pictures under Textures/
# (menu pictures, font atlas, level textures, the sky) and the desktop icons
# under dist/icons/. Commit the result: the unit
# test ArtReproducible compares the tool's output with it byte for byte.
#   scripts/make-art.sh            uses ./build (configures it if needed)
#   BUILD_DIR=out scripts/make-art.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  generator=()
  if command -v ninja >/dev/null; then generator=(-G Ninja); fi
  cmake -S "$root" -B "$build" "${generator[@]}"
fi
cmake --build "$build" --target makeart
"$build/tools/makeart" "$root/Textures"
"$build/tools/makeart" --icons "$root/dist/icons"
echo "make-art: wrote $root/Textures/menu, $root/Textures/new, $root/Textures/sky and $root/dist/icons"
