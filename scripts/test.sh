#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds the program and every test program for
# both architectures, checks both shipped programs and runs the suite of the architecture
# the machine can run (wine-env.sh) under Wine through CTest. A compile error in either tree
# fails the run. Arguments go to ctest.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

velix_setup
source "$velix_root/scripts/wine-env.sh"
bench_arch=$VELIX_BENCH_ARCH
if [ "$bench_arch" = i686 ]; then other_arch=x86_64; else other_arch=i686; fi
if velix_can_run_32bit; then machine="runs 32-bit programs"; else machine="runs no 32-bit programs"; fi
chosen="the $bench_arch suite runs"
[ -n "${velix_bench_arch_forced:-}" ] && chosen="the $bench_arch suite runs (VELIX_BENCH_ARCH)"
summary="test: this machine $machine; $chosen, the $other_arch test programs are compiled only"
echo "$summary"

# The other tree builds in the background at idle priority: its dependencies (mostly
# serial configure steps) beside the bench's, its product and test programs while the
# bench's tests run, which mostly wait on windows and timers. Two compilers at once would
# only slow the bench's own build down: the two processors may be one core's two threads.
other_log=$velix_root/.build/$other_arch.log
mkdir -p "$velix_root/.build"
: > "$other_log"
idle=(nice -n 19)
chrt --idle 0 true 2>/dev/null && idle=(chrt --idle 0)
other_pid=""
# Each in a session (and so a process group) of its own, which stop_all ends as a whole when
# this script ends early; a build of the same tree started meanwhile waits for its lock.
in_background() {
  setsid -w "${idle[@]}" bash -c 'set -euo pipefail; source "$1/scripts/setup.sh"; "${@:2}"' \
    _ "$velix_root" "$@" >> "$other_log" 2>&1 &
  other_pid=$!
}
stop_all() {
  if [ -n "$other_pid" ]; then
    kill -- "-$other_pid" 2>/dev/null || true
    wait "$other_pid" 2>/dev/null || true
  fi
  velix_stop_bench
}
trap stop_all EXIT
other_failed() {
  tail -n 60 "$other_log" >&2
  echo "test: the $other_arch tree did not build (whole log: $other_log)" >&2
  exit 1
}

in_background bash "$velix_root/scripts/build-deps.sh" "$other_arch"
velix_build "$bench_arch"
wait "$other_pid" || other_failed
in_background velix_build "$other_arch"

velix_ensure_display
velix_prepare_prefix
velix_start_wineserver
velix_keep_desktop "$velix_root/.build/$bench_arch/bin/velix_bench_keeper.exe"

tests_status=0
ctest --test-dir "$velix_root/.build/$bench_arch" --output-on-failure -j"$(nproc)" "$@" ||
  tests_status=$?

wait "$other_pid" || other_failed
other_pid=""

# The other build's program is checked with the same shipped-binary check as the bench's.
other_exe=$velix_root/.build/$other_arch/bin/velix.exe
cmake -DOBJDUMP="$other_arch-w64-mingw32-objdump" -DFILE="$other_exe" \
  -P "$velix_root/cmake/CheckShipped.cmake"

# The installer users download is the 32-bit one: its own code must be 32-bit as well.
version=$(sed -n 's/^project(Velix VERSION \([0-9.]*\).*/\1/p' "$velix_root/CMakeLists.txt")
shipped_setup=$velix_root/.build/i686/dist/velix-$version-setup.exe
setup_format=$(LC_ALL=C i686-w64-mingw32-objdump -f "$shipped_setup")
if [[ "$setup_format" != *"file format pei-i386"* ]]; then
  echo "test: $shipped_setup is not a 32-bit Windows program" >&2
  exit 1
fi

echo "$summary"
exit "$tests_status"
