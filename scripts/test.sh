#!/usr/bin/env bash
# Installs what is missing, builds the game and its tests, and runs the whole
# suite under a virtual display: once in a plain build, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer (skip that with --quick).
set -euo pipefail
source "$(dirname "$0")/common.sh"

quick=0
[ "${1:-}" = "--quick" ] && quick=1

"$ROOT/scripts/setup.sh"
"$ROOT/scripts/check-style.sh"

run_suite() {
  local dir=$1
  # One virtual X server per run; -a picks a free display number, and
  # -noreset keeps the server from restarting (and refusing connections)
  # each time its last client leaves.
  xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
    ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --timeout 300
}

build_tree "$ROOT/build" ""
# The play command's tree too: a test starts the play command, which should
# find its game built rather than build it against the test's deadline.
build_play_tree "$ROOT/build-play"
run_suite "$ROOT/build"

if [ $quick -eq 0 ]; then
  build_sanitize_tree "$ROOT/build-sanitize"
  # Libraries outside our code (Mesa, X11, SDL) keep allocations until exit on
  # purpose, as does the game; leaks are not what this run looks for.
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite "$ROOT/build-sanitize"
fi
