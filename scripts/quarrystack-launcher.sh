#!/bin/sh
# Installed as bin/quarrystack. The game reads Shader/, Textures/, Data/ and Sounds/
# relative to its working directory, so the launcher starts it inside the
# installed data, wherever it is called from.
here=$(dirname "$0")
if command -v readlink >/dev/null 2>&1 && resolved=$(readlink -f "$0" 2>/dev/null); then
  here=$(dirname "$resolved")
fi
prefix=$(cd "$here/.." && pwd -P) || exit 1
cd "$prefix/share/quarrystack" || exit 1
exec "$prefix/lib/quarrystack/quarrystack" "$@"
