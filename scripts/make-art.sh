#!/usr/bin/env bash
# Builds tools/makeart and regenerates the committed pictures under Textures/
# (menu pictures, font atlas, level textures, the sky) and the desktop icons
# under dist/icons/. Commit the result: the unit
# test ArtReproducible compares the tool's output with it byte for byte.
#   scripts/make-art.sh            uses ./build (configures it if needed)
#   BUILD_DIR=out scripts/make-art.sh
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/lib/tool.sh"
build_tool makeart
"$build/tools/makeart" "$root/Textures"
"$build/tools/makeart" --icons "$root/dist/icons"
echo "make-art: wrote $root/Textures/menu, $root/Textures/new, $root/Textures/sky and $root/dist/icons"
