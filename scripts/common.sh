# Shared by play.sh and test.sh: configure and build one build tree quietly,
# showing the log only when something fails.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# build_tree DIR [TARGET] [CMAKE OPTIONS...]: a tree of our own, where a
# warning is an error.
build_tree() {
  local dir=$1 target=$2
  shift 2
  configure_and_build "$dir" "$target" -DMORROWFEN_WERROR=ON "$@"
}

# build_play_tree DIR: the players' copy, the game and its res/ alone. A
# newer compiler's new warning must not stop a player, and playing needs
# neither the tests nor the benchmarks (nor their packages).
build_play_tree() {
  configure_and_build "$1" morrowfen -DMORROWFEN_WERROR=OFF -DMORROWFEN_TESTS=OFF \
    -DMORROWFEN_BENCH=OFF -DMORROWFEN_FUZZ=OFF
}

# configure_and_build DIR TARGET [CMAKE OPTIONS...]
configure_and_build() {
  local dir=$1 target=$2
  shift 2
  local log="$dir.log"
  mkdir -p "$dir"
  if ! cmake -S "$ROOT" -B "$dir" "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "build: configuring $dir failed (log: $log)" >&2
    return 1
  fi
  if ! cmake --build "$dir" -j "$JOBS" ${target:+--target "$target"} >>"$log" 2>&1; then
    grep -E 'error|Error' "$log" | head -n 40 >&2
    echo "build: building $dir failed (log: $log)" >&2
    return 1
  fi
}

# build_sanitize_tree DIR: the tree built by clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, which also gives the fuzz targets their bounded
# runs under the same sanitizers.
build_sanitize_tree() {
  CC=clang CXX=clang++ build_tree "$1" "" -DMORROWFEN_SANITIZE=ON \
    -DMORROWFEN_FUZZ=ON -DMORROWFEN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
}
