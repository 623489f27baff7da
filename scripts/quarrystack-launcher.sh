#!/bin/sh
# Installed as bin/quarrystack. The game reads Shader/, Textures/ and Data/
# relative to its working directory: the launcher names the installed data in
# QUARRYSTACK_DATA_DIR, which the game enters once it has read the files named
# on its command line from where it was called.
here=$(dirname "$0")
if command -v readlink >/dev/null 2>&1 && resolved=$(readlink -f "$0" 2>/dev/null); then
  here=$(dirname "$resolved")
fi
prefix=$(cd "$here/.." && pwd -P) || exit 1
QUARRYSTACK_DATA_DIR="$prefix/share/quarrystack"
export QUARRYSTACK_DATA_DIR
exec "$prefix/lib/quarrystack/quarrystack" "$@"
