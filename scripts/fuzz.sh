#!/usr/bin/env bash
# A bounded fuzz campaign against the level import and the level check:
#   scripts/fuzz.sh [seconds]      (default 600)
# Builds the libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (or $BUILD_DIR), against an
# Assimp built from source with the same instrumentation, seeds the corpus
# with the fixture levels, Blender's exports, the shipped level and small
# pictures of each format a level may use (each input is read both as a level
# and as a texture), and fuzzes in one child process at a time with a
# dictionary of the Collada the seeds lack. The corpus grows in
# <build>/fuzz/corpus; what a run finds lands in <build>/fuzz/found-<time>/
# and the campaign goes on: crash-* and leak-* (the script then exits
# non-zero), oom-* (an allocation past 1 GB) and timeout-* (20 s on one
# input). At the end it prints how much of Assimp the corpus reaches. Run one
# finding again with
#   <build>/tools/fuzzlevel <input>
# for its stack: inside Assimp, the way out is a check in the level scan that
# keeps such files from reaching it. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/configure.sh
seconds=${1:-600}
build_dir=${BUILD_DIR:-build-fuzz}
[[ $build_dir = /* ]] || build_dir=$PWD/$build_dir

command -v clang++ >/dev/null && [ -f /usr/include/utf8.h ] || scripts/setup.sh --fuzz
instrument="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

# Assimp built from Debian's source of the version the game links, with the
# same instrumentation, so that the fuzzer's coverage feedback reaches inside
# the importer: static, the Collada importer alone, no exporters or tools.
# Like Debian's it is built without NDEBUG, so its assertions abort here as
# they abort the game. Built once under <build>/assimp (later runs only check
# it is up to date); the game and the other builds keep linking Debian's.
. scripts/lib/debian-source.sh
assimp_source=$(realpath "$(debian_source assimp libassimp-dev out/sources)")
assimp=$build_dir/assimp
configure "$assimp_source" "$assimp/build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="-g -O2 $instrument" -DCMAKE_CXX_FLAGS="-g -O2 $instrument" \
  -DCMAKE_INSTALL_PREFIX="$assimp/install" -DBUILD_SHARED_LIBS=OFF -DASSIMP_BUILD_ZLIB=OFF \
  -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_IMPORTER=ON -DASSIMP_NO_EXPORT=ON \
  -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF \
  -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_DOCS=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
  -DASSIMP_INJECT_DEBUG_POSTFIX=OFF -DASSIMP_IGNORE_GIT_HASH=ON -DASSIMP_LIB_INSTALL_DIR=lib
cmake --build "$assimp/build" --target install >/dev/null

configure . "$build_dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUARRYSTACK_FUZZ=ON -DQUARRYSTACK_TESTS=OFF -Dassimp_DIR="$assimp/install/lib/cmake/assimp-5.2"
cmake --build "$build_dir" --target fuzzlevel

fuzzer=$build_dir/tools/fuzzlevel work=$build_dir/fuzz
mkdir -p "$work/corpus" "$work/seeds"
cp tests/data/levels/*.dae tests/data/blender/*.dae tests/data/fuzz/*.dae Data/LevelFinal.dae "$work/seeds/"
# Blender writes faces as <polylist>s only: its walk-through again with one
# mesh in each of the other primitives, one face to an index list <p>.
python3 - tests/data/blender/walk_quads.dae "$work/seeds/walk_polygons.dae" <<'EOF'
import re, sys
kinds = iter(["polygons", "trifans", "tristrips"])
def rewrite(m):
    inputs, sizes, indices = m.group(2), m.group(3).split(), m.group(4).split()
    stride = 1 + max(int(o) for o in re.findall(r'offset="(\d+)"', inputs))
    kind, faces, at = next(kinds, "polygons"), [], 0
    for size in map(int, sizes):
        corners = [indices[at + i * stride:at + (i + 1) * stride] for i in range(size)]
        at += size * stride
        if kind == "tristrips" and size == 4:
            corners = [corners[0], corners[1], corners[3], corners[2]]
        faces.append("<p>" + " ".join(sum(corners, [])) + "</p>")
    return "<%s%s>%s%s</%s>" % (kind, m.group(1), inputs, "".join(faces), kind)
text = open(sys.argv[1]).read()
pattern = r"<polylist([^>]*)>(.*?)<vcount>(.*?)</vcount>\s*<p>(.*?)</p>\s*</polylist>"
open(sys.argv[2], "w").write(re.sub(pattern, rewrite, text, flags=re.S))
EOF
# Pictures of every format a level may use, small enough to mutate quickly.
for format in png jpg bmp tga; do
  convert tests/data/levels/textures/checker_diffuse.png "$work/seeds/checker.$format"
done
dictionary=$PWD/tools/fuzzlevel/collada.dict
cd "$work"
# Assimp 5.2.5 leaks parts of the scene it was building when it rejects some
# malformed files; that is not ours to fix, and each would be reported as a
# finding. Assimp is linked in statically, so such a leak is known by an
# Assimp:: function on the stack that allocated it (which would also hide a
# leak of ours made in a call from Assimp; the game hands Assimp no callbacks).
# Leaks with any other origin still count.
echo "leak:Assimp::" > lsan.supp
export LSAN_OPTIONS=suppressions=$PWD/lsan.supp:print_suppressions=0
found=found-$(date -u +%Y%m%d-%H%M%S)
mkdir "$found"
limits=(-timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024)
"$fuzzer" -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 -max_total_time="$seconds" \
  "${limits[@]}" -dict="$dictionary" -artifact_prefix="$PWD/$found/" corpus seeds ||
  echo "fuzz: the fuzzer ended with status $?"
echo "fuzz: corpus $(ls corpus | wc -l) inputs; found in $work/$found:"
ls "$found"
# The corpus read once more with libFuzzer's count of the edges each function
# reached, summed over the functions compiled from Assimp's source.
"$fuzzer" -runs=0 -print_coverage=1 "${limits[@]}" corpus >coverage.txt 2>&1 ||
  echo "fuzz: the coverage run ended with status $? (see $work/coverage.txt)"
awk -v source="$assimp_source/" '
  /^(UN)?COVERED_FUNC: / && index($0, source) {
    split($5, edges, "/"); covered += edges[1]; total += edges[2]; functions++; reached += edges[1] > 0
  }
  END { printf "fuzz: %d of %d edges in %d of %d functions covered inside Assimp\n", covered, total, reached, functions }
' coverage.txt
! ls "$found" | grep -q -e '^crash-' -e '^leak-'
