# Shell functions shared by scripts/test, scripts/demo, bench/run and tests/e2e/scenarios.sh.
# Sourced, never run.

# The build trees under BUILD_DIR (cmake/mingw.cmake: TARVO_ARCH, TARVO_THREADS):
#   i686        what ships, with the win32 thread flavour (nothing of winpthread linked):
#               bin/Uninstall.EXE, its catalogues, the end-to-end tools; no unit tests.
#   i686-posix  the unit tests where this machine runs 32-bit Wine: the same sources with the posix
#               flavour, which GoogleTest needs. Its Uninstall target is the shipped exe of i686,
#               so the exe tests and the end-to-end scenarios drive the file that ships.
#   x86_64      where this machine runs only 64-bit Wine: the same sources, everything, posix.
# Each tree's CTest checks the import table of i686's Uninstall.EXE.

# test_tree ARCH: the tree under BUILD_DIR whose CTest runs every test on a machine of ARCH.
test_tree() { if [ "$1" = i686 ]; then echo i686-posix; else echo "$1"; fi; }

# forget_other_flavour DIR THREADS: a tree keeps the compiler it was first configured with, so one
# that was made with the other thread flavour starts afresh.
forget_other_flavour() {
  if [ -f "$1/CMakeCache.txt" ] && ! grep -qs -- "-g++-$2\"" "$1"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$1/CMakeCache.txt" "$1/CMakeFiles"
  fi
}

# configure_tree BUILD_DIR TREE ARCH THREADS: configures BUILD_DIR/TREE, beside the shipped tree.
configure_tree() {
  local src shipped
  src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  mkdir -p "$1/i686"
  shipped=$(cd "$1/i686" && pwd)
  [ "$2" = i686 ] && shipped=""
  forget_other_flavour "$1/$2" "$4"
  cmake -S "$src" -B "$1/$2" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw.cmake" \
    -DTARVO_ARCH="$3" -DTARVO_THREADS="$4" -DTARVO_SHIPPED_TREE="$shipped" >/dev/null
}

# build_product_trees BUILD_DIR ARCH JOBS [TARGET...]: configures and builds the shipped 32-bit
# product in BUILD_DIR/i686, then the TARGETs (everything when none are named) in BUILD_DIR/ARCH,
# the tree whose programs run under this machine's Wine (the shipped tree itself where ARCH is
# i686).
build_product_trees() {
  local build=$1 arch=$2 jobs=$3 targets=()
  shift 3
  [ $# -gt 0 ] && targets=(--target "$@")
  configure_tree "$build" i686 i686 win32
  [ "$arch" = i686 ] || configure_tree "$build" "$arch" "$arch" posix
  cmake --build "$build/i686" -j "$jobs" --target product
  cmake --build "$build/$arch" -j "$jobs" "${targets[@]}"
}

# build_test_tree BUILD_DIR ARCH JOBS: after build_product_trees, configures and builds everything
# in BUILD_DIR/$(test_tree ARCH).
build_test_tree() {
  local tree
  tree=$(test_tree "$2")
  [ "$tree" = "$2" ] || configure_tree "$1" "$tree" "$2" posix
  cmake --build "$1/$tree" -j "$3"
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

# signature_sound VERIFY_OUTPUT: osslsigncode's verify output (2.5 or 2.9) shows a SHA-256
# signature over a file whose PE checksum is right (2.9 names the checksum once when it is, 2.5
# names the current and the calculated one).
signature_sound() {
  grep -q '^Message digest algorithm *: SHA256' "$1" &&
    awk '/^PE checksum/ { ok = 1 } /^Current PE checksum/ { now = $NF } /^Calculated PE checksum/ { want = $4 }
         END { exit !(ok || (now != "" && now == want)) }' "$1"
}
