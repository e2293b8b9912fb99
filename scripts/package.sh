#!/usr/bin/env bash
# Builds the Debian package with dpkg-buildpackage, checks it with lintian
# and says where it is. It installs what the build needs first (quietly when
# everything is there), and builds in a copy of the source tree under
# build-deb/, so that neither the tree nor its build folders see the build.
# DEB_BUILD_OPTIONS=nocheck skips the package's tests and their packages.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=$ROOT/build-deb
LOG=$OUT/build.log

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO="sudo"; else SUDO="need-root"; fi
fi

# apt_quietly ARGS...: runs apt-get with the output in a log shown on failure.
apt_quietly() {
  if [ "$SUDO" = need-root ]; then
    echo "package: need root (or sudo) to run apt-get $*" >&2
    exit 1
  fi
  local log
  log=$(mktemp)
  if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get -y -q --no-install-recommends "$@" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "package: apt-get $1 failed (full log: $log)" >&2
    exit 1
  fi
  rm -f "$log"
}

updated=""
apt_update_once() {
  [ -n "$updated" ] || apt_quietly update
  updated=yes
}

PROFILES=()
case " ${DEB_BUILD_OPTIONS:-} " in
  *" nocheck "*) PROFILES=(-Pnocheck) ;;
esac

# The tools that build and check a package; the build's own packages come
# from debian/control.
TOOLS=(dpkg-dev debhelper lintian git)
missing=()
for p in "${TOOLS[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package: installing ${missing[*]}"
  apt_update_once
  apt_quietly install "${missing[@]}"
fi
if ! dpkg-checkbuilddeps "${PROFILES[@]}" "$ROOT/debian/control" >/dev/null 2>&1; then
  echo "package: installing the build dependencies in debian/control"
  apt_update_once
  apt_quietly build-dep "${PROFILES[@]}" "$ROOT"
fi

# The copy holds what git would commit from the tree as it stands: changes
# not yet committed come along, build folders and other ignored files do not.
version=$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -S Version)
upstream=${version%-*}
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
SRC=$OUT/morrowfen-$upstream
rm -rf "$OUT"
mkdir -p "$SRC"
(
  cd "$ROOT"
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do
      if [ -e "$f" ] || [ -L "$f" ]; then printf '%s\0' "$f"; fi
    done |
    tar --null --no-recursion -T - -cf -
) | tar -C "$SRC" -xf -

echo "package: building morrowfen $version (log: $LOG)"
if ! (cd "$SRC" && dpkg-buildpackage -us -uc -b -J"$(nproc)" "${PROFILES[@]}") >"$LOG" 2>&1; then
  tail -n 40 "$LOG" >&2
  echo "package: dpkg-buildpackage failed (log: $LOG; the build tree is kept in $SRC)" >&2
  exit 1
fi
rm -rf "$SRC"

changes=$OUT/morrowfen_${version}_$arch.changes
echo "package: lintian $changes"
lintian "$changes"
echo "package: built $OUT/morrowfen_${version}_$arch.deb"
