# Sourced by the generator scripts: $root is the repository, $build the build
# folder (BUILD_DIR, else ./build), and build_tool TARGET builds one tool
# there, configuring the folder first when it has not been.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${BUILD_DIR:-$root/build}"

build_tool() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    local generator=()
    if command -v ninja >/dev/null; then generator=(-G Ninja); fi
    cmake -S "$root" -B "$build" "${generator[@]}"
  fi
  cmake --build "$build" --target "$1"
}
