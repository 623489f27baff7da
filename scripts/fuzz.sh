#!/usr/bin/env bash
# A bounded fuzz campaign against the level import and the level check:
#   scripts/fuzz.sh [seconds]      (default 600)
# Builds the libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (or $BUILD_DIR), seeds the corpus
# with the fixture levels, Blender's exports, the shipped level and small
# pictures of each format a level may use (each input is read both as a level
# and as a texture), and fuzzes in one child
# process at a time. The corpus grows in <build>/fuzz/corpus; what a run finds
# lands in <build>/fuzz/found-<time>/ and the campaign goes on: crash-* and
# leak-* (the script then exits non-zero), oom-* (an allocation past 1 GB)
# and timeout-* (20 s on one input). Run one again with
#   <build>/tools/fuzzlevel <input>
# for its stack: inside Assimp, the way out is a check in the level scan that
# keeps such files from reaching it. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/configure.sh
seconds=${1:-600}
build_dir=${BUILD_DIR:-build-fuzz}
[[ $build_dir = /* ]] || build_dir=$PWD/$build_dir

command -v clang++ >/dev/null || scripts/setup.sh --fuzz
configure . "$build_dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUARRYSTACK_FUZZ=ON -DQUARRYSTACK_TESTS=OFF
cmake --build "$build_dir" --target fuzzlevel

fuzzer=$build_dir/tools/fuzzlevel work=$build_dir/fuzz
mkdir -p "$work/corpus" "$work/seeds"
cp tests/data/levels/*.dae tests/data/blender/*.dae tests/data/fuzz/*.dae Data/LevelFinal.dae "$work/seeds/"
# Pictures of every format a level may use, small enough to mutate quickly.
for format in png jpg bmp tga; do
  convert tests/data/levels/textures/checker_diffuse.png "$work/seeds/checker.$format"
done
cd "$work"
# Assimp 5.2.5 leaks parts of the scene it was building when it rejects some
# malformed files; that is not ours to fix, and each would be reported as a
# finding. Leaks with any other origin still count.
echo "leak:libassimp.so" > lsan.supp
export LSAN_OPTIONS=suppressions=$PWD/lsan.supp:print_suppressions=0
found=found-$(date -u +%Y%m%d-%H%M%S)
mkdir "$found"
"$fuzzer" -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 -max_total_time="$seconds" \
  -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 -artifact_prefix="$PWD/$found/" corpus seeds ||
  echo "fuzz: the fuzzer ended with status $?"
echo "fuzz: corpus $(ls corpus | wc -l) inputs; found in $work/$found:"
ls "$found"
! ls "$found" | grep -q -e '^crash-' -e '^leak-'
