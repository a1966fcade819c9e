#!/usr/bin/env bash
# Builds velix.exe, the floor program and the start-up bench, and runs the bench under
# Wine with Wine's desktop process kept warm by the bench keeper for the whole run.
#   usage: tools/bench/start-bench.sh [rounds]
set -euo pipefail
source "$(dirname "$0")/../../scripts/setup.sh"
velix_setup
source "$velix_root/scripts/wine-env.sh"
velix_build "$VELIX_BENCH_ARCH" velix velix_bench_floor velix_start_bench velix_bench_keeper

velix_ensure_display
velix_prepare_prefix
trap velix_stop_bench EXIT
velix_start_wineserver
velix_keep_desktop "$velix_root/.build/$VELIX_BENCH_ARCH/bin/velix_bench_keeper.exe"
wine "$velix_root/.build/$VELIX_BENCH_ARCH/bin/velix_start_bench.exe" "$@"
