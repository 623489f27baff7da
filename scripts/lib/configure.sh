# Sourced by the build scripts. configure SOURCE BUILD [CMAKE ARGUMENTS...]
# configures BUILD from SOURCE with Ninja, through ccache when it is installed.
configure() {
  local source=$1 build=$2
  shift 2
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$source" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
}
