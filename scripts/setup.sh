#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the game.
# Safe to run again: it only calls apt-get when a package is missing.
# scripts/setup.sh --fuzz adds clang with libFuzzer (and utf8cpp, which
# Assimp's source includes), for scripts/fuzz.sh, and
# --web Emscripten and Chromium, for scripts/web.sh and its test; both also add
# Debian's source packages to apt (--sources alone does only that), from which
# those builds compile Assimp and the other libraries they need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libglfw3-dev libglew-dev libglm-dev libbullet-dev libassimp-dev libfreeimage-dev
  libopenal-dev libsndfile1-dev
  googletest clang-format
  xvfb xauth xdotool x11-utils mesa-utils libgl1-mesa-dri imagemagick
  dpkg-dev desktop-file-utils
)
sources=no
case "${1:-}" in
  --fuzz) packages+=(clang libutfcpp-dev) sources=yes ;;
  --web) packages+=(emscripten chromium python3-websocket) sources=yes ;;
  --sources) sources=yes ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

# Source packages of bookworm, beside the binary ones.
source_list=/etc/apt/sources.list.d/quarrystack-sources.list
if [ $sources = yes ] && [ ! -f $source_list ] && ! apt-get source --download-only -qq --print-uris bullet >/dev/null 2>&1; then
  echo "setup: adding Debian's source packages to apt"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" |
    $sudo tee $source_list >/dev/null
  $sudo apt-get update
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
