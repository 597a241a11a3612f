# Shell functions shared by scripts/test, scripts/demo, bench/run and tests/e2e/scenarios.sh.
# Sourced, never run.

# build_product_trees BUILD_DIR ARCH JOBS [TARGET...]: configures and builds the shipped 32-bit
# product in BUILD_DIR/i686, then the TARGETs (everything when none are named) in BUILD_DIR/ARCH,
# the tree that runs under this machine's Wine (the same tree where ARCH is i686).
build_product_trees() {
  local build=$1 arch=$2 jobs=$3 src tree targets=()
  shift 3
  [ $# -gt 0 ] && targets=(--target "$@")
  src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  for tree in i686 "$arch"; do
    cmake -S "$src" -B "$build/$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw.cmake" \
      -DTARVO_ARCH="$tree" >/dev/null
  done
  cmake --build "$build/i686" -j "$jobs" --target product
  cmake --build "$build/$arch" -j "$jobs" "${targets[@]}"
}

# waitline TEXT FILE: until a line of FILE starts with TEXT; false after a minute.
waitline() {
  local i
  for ((i = 0; i < 1200; i++)); do
    grep -q "^$1" "$2" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
