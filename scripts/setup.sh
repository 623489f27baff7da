#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the game.
# Safe to run again: it only calls apt-get when a package is missing.
# scripts/setup.sh --fuzz adds clang with libFuzzer, for scripts/fuzz.sh.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libglfw3-dev libglew-dev libglm-dev libbullet-dev libassimp-dev libfreeimage-dev
  libopenal-dev libsndfile1-dev
  googletest clang-format
  xvfb xauth xdotool x11-utils mesa-utils libgl1-mesa-dri imagemagick
  dpkg-dev desktop-file-utils
)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang)
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
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
