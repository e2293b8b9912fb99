#!/usr/bin/env bash
# Checks that every C++ file of the game, its tools, tests, benchmarks and
# fuzz targets is laid out as the repository's .clang-format says; lists the
# files that are not and fails. Fix them with clang-format -i.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(find src tools tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -not -path '*/corpus/*' -print0 |
  xargs -0 -n 50 clang-format --dry-run 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
  echo "not in the house style (clang-format -i them):"
  echo "$bad"
  exit 1
fi
