#!/usr/bin/env bash
# Installs what playing needs and is missing, builds the game in build-play/
# and starts it there.
set -euo pipefail
source "$(dirname "$0")/common.sh"

no_display() {
  echo "morrowfen: no display ($1); start it from a desktop session, or in a virtual one (Debian's xvfb) with: xvfb-run -s '-screen 0 1024x768x24 -noreset' $0" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] || no_display "DISPLAY is not set"

"$ROOT/scripts/setup.sh" --play
# A tree of its own, so that it never fights the test command's build/ over
# the CMake cache.
game_dir=$ROOT/build-play/game
build_play_tree "$ROOT/build-play"
echo "morrowfen: built in $game_dir"

xdpyinfo >/dev/null 2>&1 || no_display "cannot open $DISPLAY"

# Without a sound device the game plays silently (saying so once) rather
# than stopping at start-up; a driver the player chose is left alone.
export MORROWFEN_SOUND_FALLBACK=1

cd "$game_dir"
exec ./morrowfen
