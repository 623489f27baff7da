#!/usr/bin/env bash
# Builds the game alone (Release, no tests) into build-package/ (or
# $BUILD_DIR) and makes the Debian package there with `cpack -G DEB`:
# quarrystack_<version>_<arch>.deb, installed under /usr, its dependencies
# computed from the binary (dpkg-shlibdeps, from dpkg-dev). Prints the
# package's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/configure.sh
build_dir=${BUILD_DIR:-build-package}
# The install step would build every target first; the package holds the game and its manual only.
configure . "$build_dir" -DCMAKE_BUILD_TYPE=Release -DQUARRYSTACK_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build_dir" --target quarrystack manpage
rm -f "$build_dir"/quarrystack_*.deb
(cd "$build_dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$build_dir/cpack.log" >&2; exit 1; }
ls "$PWD/$build_dir"/quarrystack_*.deb
