#!/bin/sh
# Installed as bin/quarrystack. The game reads Shader/, Textures/ and Data/
# relative to its working directory, so the launcher starts it inside the
# installed data, wherever it is called from. A level file named relative to
# the caller's folder becomes absolute first; one not found there is left to
# the game, which reads it from its data (Data/LevelShaft.dae).
here=$(dirname "$0")
if command -v readlink >/dev/null 2>&1 && resolved=$(readlink -f "$0" 2>/dev/null); then
  here=$(dirname "$resolved")
fi
prefix=$(cd "$here/.." && pwd -P) || exit 1
caller=$PWD
absolute() {
  case "$1" in
    /*) printf '%s' "$1" ;;
    *) if [ -e "$caller/$1" ]; then printf '%s' "$caller/$1"; else printf '%s' "$1"; fi ;;
  esac
}
level_next=0
for arg do
  shift
  if [ "$level_next" = 1 ]; then
    arg=$(absolute "$arg")
    level_next=0
  else
    case "$arg" in
      --level | --check-level) level_next=1 ;;
      --level=* | --check-level=*) arg="${arg%%=*}=$(absolute "${arg#*=}")" ;;
    esac
  fi
  set -- "$@" "$arg"
done
cd "$prefix/share/quarrystack" || exit 1
exec "$prefix/lib/quarrystack/quarrystack" "$@"
