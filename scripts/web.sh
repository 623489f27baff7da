#!/usr/bin/env bash
# The game for the browser: WebAssembly and WebGL 2, built with Emscripten into
# build-web/ (quarrystack.html, .js, .wasm and .data, the game's data packed).
#   scripts/web.sh            build
#   scripts/web.sh --serve    build, then serve build-web/ on http://localhost:8000/
# Emscripten gives GLFW (on the page's canvas), OpenAL (over Web Audio) and,
# through the browser, the picture decoding; zlib with minizip, Bullet, Assimp
# (its Collada importer alone) and libsndfile are compiled from Debian's source
# packages of the versions the desktop build links, once, under
# out/web-deps/ (sources in out/sources/). Nothing is downloaded but Debian's
# packages.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/configure.sh
. scripts/lib/debian-source.sh

serve=no
[ "${1:-}" = "--serve" ] && serve=yes
command -v emcc >/dev/null && command -v chromium >/dev/null || scripts/setup.sh --web
# Debian's emcc runs its JavaScript optimiser with node modules node does not
# look for by itself.
export NODE_PATH=/usr/share/nodejs
jobs=$(nproc)
sources=$PWD/out/sources
prefix=$PWD/out/web-deps/prefix
work=$PWD/out/web-deps/build
mkdir -p "$prefix/lib" "$prefix/include" "$work"
flags="-O2 -fexceptions"

# zlib and minizip (Assimp reads .zae archives through them).
if [ ! -f "$prefix/lib/libminizip.a" ]; then
  echo "web: compiling zlib and minizip"
  zlib=$(debian_source zlib zlib1g-dev "$sources")
  rm -rf "$work/zlib" && mkdir -p "$work/zlib" && cd "$work/zlib"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
    uncompr zutil; do
    emcc $flags -DHAVE_UNISTD_H -c "$zlib/$f.c"
  done
  emar rcs "$prefix/lib/libz.a" ./*.o
  cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include/"
  rm ./*.o
  mkdir -p "$prefix/include/minizip"
  for f in ioapi unzip zip; do
    emcc $flags -I"$prefix/include" -c "$zlib/contrib/minizip/$f.c"
    cp "$zlib/contrib/minizip/$f.h" "$prefix/include/minizip/"
  done
  cp "$zlib/contrib/minizip/crypt.h" "$prefix/include/minizip/"
  emar rcs "$prefix/lib/libminizip.a" ./*.o
  mkdir -p "$prefix/lib/pkgconfig"
  printf 'prefix=%s\nName: minizip\nDescription: minizip\nVersion: 1.2.13\nLibs: -L${prefix}/lib -lminizip -lz\nCflags: -I${prefix}/include/minizip\n' \
    "$prefix" >"$prefix/lib/pkgconfig/minizip.pc"
  cd - >/dev/null
fi

# build_library NAME SOURCE [CMAKE ARGUMENTS...]: configure, build and install
# one CMake library into the prefix, unless it is there already.
build_library() {
  local name=$1 source=$2
  shift 2
  [ -f "$prefix/.$name" ] && return
  echo "web: compiling $name"
  PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig emcmake cmake -S "$source" -B "$work/$name" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_CXX_FLAGS="$flags" "$@" >"$work/$name.log" 2>&1 ||
    { tail -30 "$work/$name.log"; exit 1; }
  cmake --build "$work/$name" -j "$jobs" >>"$work/$name.log" 2>&1 && cmake --install "$work/$name" >>"$work/$name.log" ||
    { tail -30 "$work/$name.log"; exit 1; }
  touch "$prefix/.$name"
}

build_library bullet "$(debian_source bullet libbullet-dev "$sources")" \
  -DBUILD_BULLET2_DEMOS=OFF -DBUILD_CPU_DEMOS=OFF -DBUILD_OPENGL3_DEMOS=OFF -DBUILD_EXTRAS=OFF \
  -DBUILD_UNIT_TESTS=OFF -DBUILD_PYBULLET=OFF -DBUILD_BULLET3=OFF -DINSTALL_LIBS=ON -DINSTALL_CMAKE_FILES=OFF
# Header-only libraries come from Debian's packages, as in the desktop build:
# utf8cpp for Assimp, GLM for the game.
for headers in utf8cpp glm; do
  [ -d "$prefix/include/$headers" ] || cp -r /usr/include/$headers "$prefix/include/"
done
# Debian's Assimp asks for Draco whatever is built, and so do its users; only
# its glTF importer, which is not built here, uses it.
mkdir -p "$prefix/lib/cmake/draco" && echo 'set(DRACO_LIBRARIES "")' >"$prefix/lib/cmake/draco/dracoConfig.cmake"
build_library assimp "$(debian_source assimp libassimp-dev "$sources")" \
  -DCMAKE_CXX_FLAGS="$flags -I$prefix/include/utf8cpp" \
  -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_IMPORTER=ON -DASSIMP_NO_EXPORT=ON \
  -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF \
  -DASSIMP_INSTALL_PDB=OFF -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a"
build_library sndfile "$(debian_source libsndfile libsndfile1-dev "$sources")" \
  -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
  -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF -DENABLE_PACKAGE_CONFIG=ON

echo "web: compiling the game"
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARRYSTACK_TESTS=OFF \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" >/dev/null
cmake --build build-web -j "$jobs" --target quarrystack
ls -l build-web/{index.html,quarrystack.js,quarrystack.wasm,quarrystack.data} | awk '{ total += $5; print } END { printf "web: %.1f MB in all\n", total / 1e6 }'

if [ $serve = yes ]; then
  echo "web: serving on http://localhost:8000/ (Ctrl+C stops)"
  exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web
fi
