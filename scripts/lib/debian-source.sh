# Sourced by the build scripts that compile a library from source (the fuzz
# build's instrumented Assimp, the browser build's dependencies).
#   debian_source PACKAGE INSTALLED CACHE
# unpacks, once, Debian's source package PACKAGE at the version of the
# installed binary package INSTALLED (so the source is exactly what the desktop
# build links), with Debian's patches applied, under CACHE, and prints the
# folder. Needs the deb-src line that scripts/setup.sh --sources adds.
debian_source() {
  local package=$1 installed=$2 cache=$3 version dir
  version=$(dpkg-query -W -f='${source:Version}' "$installed")
  dir=$cache/$package-$version
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" "$cache/download-$package"
    mkdir -p "$cache/download-$package"
    local log
    log=$(cd "$cache/download-$package" && apt-get source --download-only -qq "$package=$version" 2>&1) ||
      { echo "$log" >&2; echo "source: cannot fetch $package $version (scripts/setup.sh --sources)" >&2; return 1; }
    dpkg-source --no-check -x "$cache/download-$package"/*.dsc "$dir" >/dev/null
    rm -rf "$cache/download-$package"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}
