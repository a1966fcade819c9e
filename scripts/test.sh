#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds the 32-bit program with its tests
# and the 64-bit compile check, and runs every test under Wine through CTest.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

velix_setup
source "$velix_root/scripts/wine-env.sh"
velix_build i686
# The 64-bit build only proves that the code compiles cleanly for that target.
velix_build x86_64

velix_ensure_display
velix_prepare_prefix
trap velix_stop_bench EXIT
velix_start_wineserver
velix_keep_desktop "$velix_root/.build/i686/bin/velix_bench_keeper.exe"

jobs=$(nproc)
ctest --test-dir "$velix_root/.build/i686" --output-on-failure -j"$jobs" "$@"
