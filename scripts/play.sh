#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

no_display() {
  echo "morrowfen: no display ($1); start it from a desktop session, or in a virtual one with: xvfb-run -s '-screen 0 1024x768x24 -noreset' $0" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] || no_display "DISPLAY is not set"

"$ROOT/scripts/setup.sh"
build_tree "$ROOT/build" morrowfen

xdpyinfo >/dev/null 2>&1 || no_display "cannot open $DISPLAY"

# Without a sound device SDL cannot open audio and the game would stop at
# start-up; play silently instead.
if [ -z "${SDL_AUDIODRIVER:-}" ] && ! ls /dev/snd/pcm* >/dev/null 2>&1 \
   && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] && [ -z "${PULSE_SERVER:-}" ]; then
  echo "morrowfen: no sound device found; playing without sound" >&2
  export SDL_AUDIODRIVER=dummy
fi

cd "$ROOT/build/game"
exec ./morrowfen
