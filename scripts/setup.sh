#!/usr/bin/env bash
# Installs the Debian packages Morrowfen needs:
#   setup.sh          everything: the game, its tools and its tests
#   setup.sh --play   only what building and playing the game needs
# Idempotent: when everything is present it prints nothing and touches nothing.
set -euo pipefail

PLAY_PACKAGES=(
  # toolchain
  cmake g++ make pkg-config
  # the libraries the game calls, and Mesa's software renderer for a machine
  # without a GPU driver
  libsdl1.2-dev libsdl-mixer1.2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libglew-dev libfreetype-dev libx11-dev
  # the content generator: music encoding and the font it copies into res/
  libvorbis-dev fonts-dejavu-core
  # play.sh asks the display whether it opens (xdpyinfo)
  x11-utils
)
TEST_PACKAGES=(
  # the sanitizer and fuzz tree
  clang libclang-rt-14-dev
  # the house style, checked by the test command
  clang-format
  # tests, tools and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth xdotool imagemagick netpbm libstb-dev libtinyobjloader-dev gcovr
  # the install test checks the desktop menu entry
  desktop-file-utils
  # the automatic player drives the game through XTest from Python
  python3 python3-xlib
  # sample models written by other programs, for the loaders' cross-checks
  assimp-testmodels glmark2-data
)

case ${1:-} in
  --play) PACKAGES=("${PLAY_PACKAGES[@]}") ;;
  "") PACKAGES=("${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  *) echo "usage: $0 [--play]" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO="sudo"; else
    echo "setup: need root (or sudo) to install: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
log=$(mktemp)
export DEBIAN_FRONTEND=noninteractive
if ! { $SUDO apt-get update -q && $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "setup: package installation failed (full log: $log)" >&2
  exit 1
fi
rm -f "$log"
