#!/usr/bin/env bash
# The soak: the automatic player plays the game built under AddressSanitizer
# and UndefinedBehaviorSanitizer for a while, and the run fails on a sanitizer
# report, a crash, a hang, a frame longer than a second after start-up, or
# objects piling up. A run longer than a minute also plays the plain build
# beside it, on a display of its own, and fails when its resident memory grows
# more than 5 MB from the start of round 4 (and minute 1) to the end (the
# sanitizers' own bookkeeping would hide or fake a slow leak).
#
#   scripts/soak.sh [SECONDS] [--game EXE] [--memory-game EXE] [--out DIR]
#
# SECONDS defaults to 1800. Without --game it builds build-sanitize/ and
# build/ as scripts/test.sh does and plays build-sanitize/game/morrowfen, with
# build/game/morrowfen for the memory. Without a display it makes its own.
set -euo pipefail
source "$(dirname "$0")/common.sh"

XVFB_SERVER_ARGS="-screen 0 1024x768x24 -noreset"

seconds=1800 game="" memory_game="" out=""
while [ $# -gt 0 ]; do
  case $1 in
    --game) game=$2; shift 2 ;;
    --memory-game) memory_game=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    [0-9]*) seconds=$1; shift ;;
    *) echo "usage: $0 [SECONDS] [--game EXE] [--memory-game EXE] [--out DIR]" >&2; exit 2 ;;
  esac
done

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "$XVFB_SERVER_ARGS" "$0" "$seconds" ${game:+--game "$game"} \
    ${memory_game:+--memory-game "$memory_game"} ${out:+--out "$out"}
fi

if [ -z "$game" ]; then
  "$ROOT/scripts/setup.sh"
  build_sanitize_tree "$ROOT/build-sanitize"
  build_tree "$ROOT/build" morrowfen
  game=$ROOT/build-sanitize/game/morrowfen
  memory_game=${memory_game:-$ROOT/build/game/morrowfen}
fi
out=${out:-$(mktemp -d "${TMPDIR:-/tmp}/soak.XXXXXX")}
mkdir -p "$out"

player=("$ROOT/tools/autoplayer.py" "$seconds" --hang 30 --max-frame 1.0 --check-objects
  --min-kills 1)

# The memory run goes on beside the sanitized one, so that the record takes
# the time asked for and not twice that.
memory_pid=""
if [ -n "$memory_game" ] && [ "${seconds%%.*}" -gt 60 ]; then
  xvfb-run -a -s "$XVFB_SERVER_ARGS" "${player[@]}" --game "$memory_game" \
    --out "$out/memory" --max-growth 5 >"$out/memory.summary" 2>&1 &
  memory_pid=$!
fi

failed=0
# Libraries outside our code keep allocations until exit on purpose, as does
# the game: leaks are not what this run looks for.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
  "${player[@]}" --game "$game" --out "$out/play" >"$out/play.summary" 2>&1 || failed=1
echo "== $game, $seconds s"
cat "$out/play.summary"
if grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: [A-Za-z]+Sanitizer' \
    "$out/play/game.err"; then
  echo "FAIL: a sanitizer report in $out/play/game.err:"
  grep -E -m 20 'ERROR: |runtime error:|SUMMARY: |^    #[0-9]' "$out/play/game.err" || true
  failed=1
fi

if [ -n "$memory_pid" ]; then
  wait "$memory_pid" || failed=1
  echo "== $memory_game, $seconds s"
  cat "$out/memory.summary"
fi

if [ $failed -eq 0 ]; then
  echo "soak: passed ($out)"
else
  echo "soak: FAILED ($out)"
fi
exit $failed
