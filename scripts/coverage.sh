#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: a gcc tree built with
# --coverage, the suite run once under a virtual display, and gcovr's table
# of what ran: the library of everything but main.cpp, counted in the tests
# and in every game the end-to-end tests start.
# The full per-file report goes to build-coverage/coverage.txt.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"

dir="$ROOT/build-coverage"
build_tree "$dir" "" -DCMAKE_BUILD_TYPE=Debug -DMORROWFEN_BENCH=OFF \
  -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage
# Counts from an earlier run would add up with this one's.
find "$dir" -name '*.gcda' -delete

status=0
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  ctest --test-dir "$dir" -j "$JOBS" --timeout 600 >"$dir/ctest.log" 2>&1 || status=$?
[ $status -eq 0 ] || echo "coverage: some tests failed (log: $dir/ctest.log); the figures count what ran" >&2

# Counted wherever src/ was compiled: inline code of the headers runs from
# the tests' and the game's own objects too.
gcovr --root "$ROOT" --filter "$ROOT/src/" --exclude "$ROOT/src/app/main.cpp" \
  --exclude-directories '.*CompilerId.*' --txt "$dir/coverage.txt" --print-summary "$dir"
exit $status
