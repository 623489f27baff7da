#!/usr/bin/env bash
# Fails when a C++ file under src/, tools/ or tests/ differs from what the
# project's .clang-format makes of it; with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is missing (scripts/setup.sh)" >&2; exit 1; }
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' |
                     grep -v '^tests/data/')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files follow .clang-format"
