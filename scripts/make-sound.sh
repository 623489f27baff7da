#!/usr/bin/env bash
# Builds tools/makesound and regenerates the committed sounds under Sounds/.
# Commit the result: the unit test GeneratedFiles compares the tool's output
# with it byte for byte.
#   scripts/make-sound.sh            uses ./build (configures it if needed)
#   BUILD_DIR=out scripts/make-sound.sh
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/lib/tool.sh"
build_tool makesound
"$build/tools/makesound" "$root/Sounds"
echo "make-sound: wrote $root/Sounds"
