#!/usr/bin/env bash
# Counts non-blank lines of code: the tests (code and scripts under tests/,
# test data left out, and the tools only tests use: the test-level fixtures of
# makelevel, the fuzz target and the Blender exports) against the product
# (src/, Shader/, the other tools, scripts/). Prints lines per folder and the
# ratio; fails when the tests outgrow the product by more than the house rule
# allows (ratio above 0.36).
set -euo pipefail
cd "$(dirname "$0")/.."

code='\.(cpp|cc|c|h|hpp|py|sh|cmake|vert|frag|geom|glsl)$|CMakeLists\.txt$'
test_tools=(tools/makelevel/Fixtures.cpp tools/makelevel/Fixtures.h tools/fuzzlevel tools/blender)
exclude=()
for path in "${test_tools[@]}"; do exclude+=(":(exclude)$path"); done
lines() { git ls-files -- "$@" | grep -E "$code" | grep -v '^tests/data/' | xargs -r cat | grep -c '[^[:space:]]' || true; }

for dir in src/core src/audio src/physics src/render src/scene src/import src/app Shader tools scripts \
           tests/unit tests/gl tests/e2e tests/support "${test_tools[@]}"; do
  if [ "$dir" = tools ]; then n=$(lines tools "${exclude[@]}"); else n=$(lines "$dir"); fi
  printf '%-30s %6d\n' "$dir" "$n"
done
tests=$(lines tests "${test_tools[@]}")
product=$(lines src Shader tools scripts "${exclude[@]}")
ratio=$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.3f", (p > 0 ? t / p : 0) }')
echo "tests $tests, product $product, ratio $ratio"
awk -v r="$ratio" 'BEGIN { exit !(r <= 0.36) }' || { echo "loc: the tests are more than 0.36 of the product" >&2; exit 1; }
