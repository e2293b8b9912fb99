#!/usr/bin/env bash
# Renders the contact sheets and the field view shown in the README into
# docs/, with the model viewer under a virtual display, and takes a picture of
# the game's own window with its heads-up display. Needs a built tree
# (scripts/test.sh builds one).
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_tree "$ROOT/build" modelviewer
build_tree "$ROOT/build" morrowfen
out=$(mktemp -d)
viewer="$ROOT/build/tools/modelviewer --dir $ROOT/build/game"
run() { xvfb-run -a -s "-screen 0 1024x768x24 -noreset" $viewer "$@"; }

run --sheet "$out/zombie.png" --columns 6 zombie
for m in character banana; do run --sheet "$out/$m.png" --columns 6 "$m"; done
for m in GraveStone shotgun weapon; do run --sheet "$out/$m.png" --columns 1 "$m"; done
run --scene "$out/scene.png"
run --pictures "$out/pictures.png"
# The game a few seconds after its window opens, then ended by its process id.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c '
  cd "$1" && SDL_AUDIODRIVER=dummy ./morrowfen >/dev/null &
  game=$!
  for _ in $(seq 150); do
    window=$(xdotool search --name "^Morrowfen\$" 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.2
  done
  sleep 3
  import -window "$window" "$2"
  kill "$game"; wait "$game" || true' _ "$ROOT/build/game" "$out/hud.png"

mkdir -p "$ROOT/docs"
convert "$out/zombie.png" -resize 75% -quality 82 "$ROOT/docs/sheet-zombie.jpg"
convert "$out/GraveStone.png" "$out/shotgun.png" "$out/weapon.png" "$out/pictures.png" +append \
  "$out/small.png"
convert "$out/character.png" "$out/banana.png" "$out/small.png" -append \
  -resize 75% -quality 82 "$ROOT/docs/sheet-figures.jpg"
convert "$out/scene.png" -quality 82 "$ROOT/docs/scene.jpg"
convert "$out/hud.png" -quality 82 "$ROOT/docs/hud.jpg"
rm -rf "$out"
ls -l "$ROOT/docs"
