#!/usr/bin/env bash
# Makes the level guide's walk-through in Blender (Debian's blender package,
# headless) and exports it with Blender's Collada defaults into
# tests/data/blender/: the tests play and check these files as a level
# maker's exports. Commit what changes.
#   scripts/make-blender-levels.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/tests/data/blender"
command -v blender >/dev/null || { echo "needs Blender: apt-get install blender" >&2; exit 1; }
rm -rf "$out"
blender -b --factory-startup --python-exit-code 1 --python "$root/tools/blender/make_levels.py" -- "$out"
