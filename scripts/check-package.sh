#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks its file list and
# its dependencies with dpkg-deb, unpacks it into a temporary root with
# `dpkg -x` and starts the unpacked game there, in a small window on a
# virtual display, until it draws frames; Escape must end it with status 0.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/xvfb.sh
fail() { echo "check-package: $*" >&2; exit 1; }

deb=$(scripts/package.sh | tail -n 1)
[ -f "$deb" ] || fail "no package was made"
echo "check-package: $deb"

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||')
for f in usr/bin/quarrystack usr/lib/quarrystack/quarrystack usr/share/applications/quarrystack.desktop \
  usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/quarrystack.png usr/share/man/man6/quarrystack.6.gz \
  usr/share/quarrystack/Data/{LevelFinal,LevelShaft}.dae usr/share/quarrystack/Shader/sky.frag \
  usr/share/quarrystack/Textures/sky/dusk.png usr/share/quarrystack/Sounds/footstep.wav; do
  grep -qx "$f" <<<"$files" || fail "the package lacks $f"
done
stray=$(grep -v -E '^usr/(bin/(quarrystack)?|lib/(quarrystack/(quarrystack)?)?|share/((applications|quarrystack|man|icons)/.*)?)?$' <<<"$files" || true)
[ -z "$stray" ] || fail "files outside the game's places: $stray"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libglfw3 libglew libassimp libfreeimage3 libbullet libopenal1 libsndfile1 libc6; do
  grep -q "\b$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

root=$(mktemp -d)
trap 'stop_xvfb_and_game; rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/quarrystack.desktop" || fail "the desktop entry is not valid"
version=$(dpkg-deb -f "$deb" Version)
grep -q "$version" <<<"$("$root/usr/bin/quarrystack" --version)" || fail "--version does not say $version"
start_xvfb 640x360
export DISPLAY=$xvfb_display
(cd / && exec "$root/usr/bin/quarrystack" --windowed=320x180) >"$root/output.txt" 2>"$root/errors.txt" &
game_pid=$!
# The game prints a line every frame; a limit only a hung game reaches.
for _ in $(seq 600); do
  [ "$(grep -c '^frametime:' "$root/output.txt")" -ge 5 ] && break
  kill -0 "$game_pid" 2>/dev/null || fail "the unpacked game ended early: $(cat "$root/errors.txt")"
  sleep 0.1
done
[ "$(grep -c '^frametime:' "$root/output.txt")" -ge 5 ] || fail "the unpacked game drew no frames"
window=$(xdotool search --sync --onlyvisible --limit 1 --name '^Quarrystack')
xdotool windowfocus --sync "$window"
xdotool keydown Escape
status=0
wait "$game_pid" || status=$?
game_pid=""
xdotool keyup Escape
[ "$status" -eq 0 ] || fail "the unpacked game ended with status $status"
echo "check-package: file list, dependencies and the unpacked game are fine"
