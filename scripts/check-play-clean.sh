#!/usr/bin/env bash
# Shows that the play command alone takes a bare Debian 12 to a running game.
# In a fresh minimal bookworm chroot it runs scripts/play.sh on a clone of this
# checkout's HEAD (what is committed), first with no display to open (so it only installs and
# builds, and we see exactly what that took), then, with a virtual display
# and xdotool added for looking, once more: the game's window must open, its
# trace must fill and Escape must end it with status 255. Nothing of the test
# command's packages may have been installed.
#
#   scripts/check-play-clean.sh [DIR]
#
# DIR (default /var/tmp/morrowfen-clean) keeps the bare system in base/, made
# once by debootstrap and reused, and each run's copy of it in root/. Needs
# root, Debian's package archive and about ten minutes; the test command does
# not run it. SDL_AUDIODRIVER, when set, is handed to the game in the chroot,
# which has no sound device.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dir=${1:-/var/tmp/morrowfen-clean}
base=$dir/base root=$dir/root
deadline_window=180 deadline_trace=60 deadline_quit=60

[ "$(id -u)" -eq 0 ] || { echo "check: needs root (chroot, mounts)" >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -q && apt-get install -y -q debootstrap; } >/dev/null
# A run ended by force may have left its mounts; removing the copy then would
# reach into the machine's own /dev.
if grep -q " $root/" /proc/mounts; then
  echo "check: still mounted under $root (see /proc/mounts); umount those first" >&2
  exit 1
fi

mkdir -p "$dir"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  echo "check: making a bare bookworm in $base"
  rm -rf --one-file-system "$base"
  debootstrap --variant=minbase bookworm "$base" http://deb.debian.org/debian >"$dir/debootstrap.log" 2>&1
fi
rm -rf --one-file-system "$root"
cp -a "$base" "$root"
git clone -q "$ROOT" "$root/root/morrowfen"
echo "check: $(git -C "$root/root/morrowfen" log --oneline -1) in $root/root/morrowfen"

mounted=() game="" xvfb=""
cleanup() {
  local i pid
  for pid in $game $xvfb; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}"; done
}
trap cleanup EXIT
# mount_in FOLDER MOUNT-OPTIONS...: mounts on FOLDER of the chroot.
mount_in() {
  local target=$root/$1
  shift
  mount "$@" "$target"
  mounted+=("$target")
}
mount_in proc -t proc proc
mount_in sys -t sysfs sys
mount_in dev --bind /dev
mount_in dev/pts --bind /dev/pts

# A display number no X server on this machine uses: the chroot shares the
# host's abstract sockets, so a clash would reach the host's server.
display=90
while grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done

root_env=(/usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
  DISPLAY=":$display" ${SDL_AUDIODRIVER:+SDL_AUDIODRIVER=$SDL_AUDIODRIVER})
in_root() { chroot "$root" "${root_env[@]}" "$@"; }
# spawn_in_root COMMAND... &: in_root in the background, where $! is the
# command's own process, so that it can be waited for and ended.
spawn_in_root() { exec chroot "$root" "${root_env[@]}" "$@"; }
packages() { in_root dpkg-query -W -f='${db:Status-Status} ${Package}\n' | sed -n 's/^installed //p' | sort; }
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.5
  done
}

packages >"$dir/packages-bare"
echo "check: the bare system has $(wc -l <"$dir/packages-bare") packages"

echo "check: play.sh, no display yet"
start=$SECONDS
status=0
in_root /root/morrowfen/scripts/play.sh >"$dir/play-1.out" 2>"$dir/play-1.err" || status=$?
took=$((SECONDS - start)) ended=$(date +%s)
cat "$dir/play-1.out" "$dir/play-1.err"
[ $status -eq 1 ] && grep -q "no display (cannot open :$display)" "$dir/play-1.err" ||
  { echo "check: FAILED: play.sh ended with $status before the display" >&2; exit 1; }
packages >"$dir/packages-play"
comm -13 "$dir/packages-bare" "$dir/packages-play" >"$dir/packages-added"
# dpkg's status file was last written when the installing ended.
building=$((ended - $(stat -c %Y "$root/var/lib/dpkg/status")))
echo "check: play.sh took ${took}s, about ${building}s of it building;" \
  "apt installed $(wc -l <"$dir/packages-added") packages (list: $dir/packages-added)"

# None of the test command's own packages, python3 aside: the game's -dev
# packages bring it (libsdl1.2-dev, libpulse-dev, libglib2.0-dev-bin).
eval "$(sed -n '/^TEST_PACKAGES=(/,/^)/p' "$ROOT/scripts/setup.sh")"
test_only=$(printf '%s\n' "${TEST_PACKAGES[@]}" | grep -vx python3 | sort)
found=$(comm -12 <(echo "$test_only") "$dir/packages-play")
[ -z "$found" ] || { echo "check: FAILED: play.sh installed test packages:" $found >&2; exit 1; }
echo "check: none of the test packages:" $test_only

# Every library the game and the content generator load resolves already.
for exe in build-play/game/morrowfen build-play/tools/content; do
  missing=$(in_root ldd "/root/morrowfen/$exe" | grep 'not found' || true)
  [ -z "$missing" ] || { echo "check: FAILED: $exe lacks $missing" >&2; exit 1; }
done

echo "check: adding the player's desktop: Xvfb, and xdotool to look at it"
in_root apt-get install -y -q --no-install-recommends xvfb xdotool >"$dir/desktop.log" 2>&1
echo "check: that added $(($(packages | wc -l) - $(wc -l <"$dir/packages-play"))) packages"
spawn_in_root Xvfb ":$display" -screen 0 1024x768x24 -noreset >"$dir/xvfb.log" 2>&1 &
xvfb=$!
wait_for 30 in_root xdpyinfo >/dev/null 2>&1 || { echo "check: FAILED: Xvfb did not start" >&2; exit 1; }

echo "check: play.sh on :$display"
spawn_in_root MORROWFEN_TRACE=/root/trace.jsonl /root/morrowfen/scripts/play.sh \
  >"$dir/play-2.out" 2>"$dir/play-2.err" &
game=$!
find_window() { window=$(in_root xdotool search --name '^Morrowfen$' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
wait_for $deadline_window find_window || { echo "check: FAILED: no window" >&2; exit 1; }
in_root xwininfo -root -tree | grep Morrowfen
traced() { [ "$(wc -l <"$root/root/trace.jsonl" 2>/dev/null || echo 0)" -ge 10 ]; }
wait_for $deadline_trace traced || { echo "check: FAILED: no trace" >&2; exit 1; }
echo "check: the trace's first line: $(head -c 160 "$root/root/trace.jsonl")..."

# Escape until the game has read it: a key sent while it still loads can pass
# unseen.
escaped() {
  [ -e "/proc/$game" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$game/status" 2>/dev/null || return 0
  in_root xdotool key --window "$window" Escape 2>/dev/null
  return 1
}
wait_for $deadline_quit escaped || { echo "check: FAILED: Escape did not end the game" >&2; exit 1; }
status=0
wait "$game" || status=$?
game=""
cat "$dir/play-2.out" "$dir/play-2.err"
echo "check: the game ended with status $status after $(wc -l <"$root/root/trace.jsonl") trace lines"
[ $status -eq 255 ] || { echo "check: FAILED: status $status, not 255" >&2; exit 1; }
kill "$xvfb"
wait "$xvfb" || true
xvfb=""
left=$(for p in /proc/[0-9]*; do [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && echo "${p#/proc/}"; done || true)
[ -z "$left" ] || { echo "check: FAILED: still running in the chroot: $left" >&2; exit 1; }
echo "check: passed"
