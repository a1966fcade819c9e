#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds the program with its tests for the
# bench's architecture and the product alone for the other one, checks both shipped
# programs and runs every test under Wine through CTest.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

velix_setup
source "$velix_root/scripts/wine-env.sh"
if [ "$VELIX_BENCH_ARCH" = i686 ]; then other_arch=x86_64; else other_arch=i686; fi
echo "test: the bench runs the $VELIX_BENCH_ARCH build; $other_arch builds the product only"
velix_build "$other_arch" velix velix_packages
velix_build "$VELIX_BENCH_ARCH"

velix_ensure_display
velix_prepare_prefix
trap velix_stop_bench EXIT
velix_start_wineserver
velix_keep_desktop "$velix_root/.build/$VELIX_BENCH_ARCH/bin/velix_bench_keeper.exe"

# The other build's program is checked with the same shipped-binary check.
other_exe=$velix_root/.build/$other_arch/bin/velix.exe
cmake -DOBJDUMP="$other_arch-w64-mingw32-objdump" -DFILE="$other_exe" \
  -P "$velix_root/cmake/CheckShipped.cmake"

# The installer users download is the 32-bit one: its own code must be 32-bit as well.
shipped_setup=$velix_root/.build/i686/dist/velix-1.0-setup.exe
setup_format=$(LC_ALL=C i686-w64-mingw32-objdump -f "$shipped_setup")
if [[ "$setup_format" != *"file format pei-i386"* ]]; then
  echo "test: $shipped_setup is not a 32-bit Windows program" >&2
  exit 1
fi

jobs=$(nproc)
ctest --test-dir "$velix_root/.build/$VELIX_BENCH_ARCH" --output-on-failure -j"$jobs" "$@"
