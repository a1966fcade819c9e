# Sourced by run.sh and test.sh: installs what is missing, builds the dependencies once
# and configures and builds a target. Every step is idempotent and fast when done.

velix_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

velix_need_root() {
  if [ "$(id -u)" != 0 ]; then
    echo "setup: run as root (it installs Debian packages)" >&2
    exit 1
  fi
}

# velix_build ARCH [TARGET...]: configure .build/ARCH when needed and build. Both trees have
# the test programs; only the tree of the bench's architecture (wine-env.sh) registers them
# with CTest, the other one compiles and links them only.
velix_build() (
  local arch=$1; shift
  local dir=$velix_root/.build/$arch
  local run=OFF
  [ "$arch" = "${VELIX_BENCH_ARCH:-i686}" ] && run=ON
  # One build of a tree at a time: a build left running by an interrupted test run is
  # waited for, not raced. The function runs in a subshell of its own, so the lock goes
  # when the build does and nothing started later inherits it.
  mkdir -p "$velix_root/.build"
  local lock
  exec {lock}>"$dir.lock"
  flock "$lock"
  bash "$velix_root/scripts/build-deps.sh" "$arch"
  if [ ! -f "$dir/build.ninja" ] || ! grep -qx "VELIX_TESTS:BOOL=ON" "$dir/CMakeCache.txt" ||
     ! grep -qx "VELIX_TESTS_RUN:BOOL=$run" "$dir/CMakeCache.txt"; then
    cmake -S "$velix_root" -B "$dir" -G Ninja -DVELIX_TESTS=ON -DVELIX_TESTS_RUN=$run \
      -DCMAKE_TOOLCHAIN_FILE="$velix_root/cmake/$arch-w64-mingw32.cmake" >/dev/null
  fi
  if [ $# -gt 0 ]; then
    cmake --build "$dir" --target "$@"
  else
    cmake --build "$dir"
  fi
)

velix_setup() {
  velix_need_root
  bash "$velix_root/scripts/install-packages.sh"
}
