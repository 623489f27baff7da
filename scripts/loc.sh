#!/usr/bin/env bash
# Counts non-blank lines of code: the tests (code and scripts under tests/,
# test data left out) against the product (src/, Shader/, tools/, scripts/).
# Prints lines per folder and the ratio; fails when the tests outgrow the
# product by more than the house rule allows (ratio above 0.36).
set -euo pipefail
cd "$(dirname "$0")/.."

code='\.(cpp|cc|c|h|hpp|py|sh|cmake|vert|frag|geom|glsl)$|CMakeLists\.txt$'
lines() { git ls-files -- "$@" | grep -E "$code" | grep -v '^tests/data/' | xargs -r cat | grep -c '[^[:space:]]' || true; }

for dir in src/core src/audio src/physics src/render src/scene src/import src/app Shader tools scripts \
           tests/unit tests/gl tests/e2e tests/support; do
  printf '%-14s %6d\n' "$dir" "$(lines "$dir")"
done
tests=$(lines tests)
product=$(lines src Shader tools scripts)
ratio=$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.3f", (p > 0 ? t / p : 0) }')
echo "tests $tests, product $product, ratio $ratio"
awk -v r="$ratio" 'BEGIN { exit !(r <= 0.36) }' || { echo "loc: the tests are more than 0.36 of the product" >&2; exit 1; }
