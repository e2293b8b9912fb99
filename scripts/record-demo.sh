#!/usr/bin/env bash
# Records the committed demo again, after a deliberate change to the rules:
# the automatic player fights for a minute (with a death and a restart) in
# the built game, then the recording is played back to write the trace the
# suite compares with. Run it under a display: xvfb-run -a -s
# '-screen 0 1024x768x24 -noreset' scripts/record-demo.sh
set -euo pipefail
source "$(dirname "$0")/common.sh"

game="$ROOT/build/game/morrowfen"
[ -x "$game" ] || { echo "record-demo: build the game first (scripts/test.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$ROOT/tools/autoplayer.py" 60 --stand-after 30 --min-kills 5 --out "$work" \
  --record "$work/fight.mfdemo"
# The trace of a playback is the recording's own; its times are left out.
(cd "$ROOT/build/game" && SDL_AUDIODRIVER=dummy MORROWFEN_TRACE="$work/played.jsonl" \
  ./morrowfen --timedemo="$work/fight.mfdemo")
# A demo worth keeping shows the shotgun, a pick-up, a death and a restart.
python3 - "$work/played.jsonl" <<'CHECK'
import json, sys
frames = [json.loads(line) for line in open(sys.argv[1])]
seen = {
    "the shotgun": any(f.get("weapon") == "Shotgun" for f in frames),
    "a death": any(f["state"] == "over" for f in frames),
    "a restart": any(f["round"] >= 2 for f in frames),
    "a pick-up": any(b["clips"] > a["clips"] and a.get("weapon") == b.get("weapon")
                     for a, b in zip(frames, frames[1:])),
}
missing = [what for what, there in seen.items() if not there]
if missing:
    sys.exit("record-demo: the run shows no " + ", no ".join(missing) + "; run it again")
CHECK
mkdir -p "$ROOT/demos"
sed -E 's/,"t":[^,]*//' "$work/played.jsonl" | gzip -9n > "$ROOT/demos/fight.trace.gz"
cp "$work/fight.mfdemo" "$ROOT/demos/fight.mfdemo"
echo "record-demo: wrote demos/fight.mfdemo and demos/fight.trace.gz"
