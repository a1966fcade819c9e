#!/usr/bin/env bash
# Builds velix.exe, the floor program and the note bench, and runs the bench under Wine
# with Wine's desktop process kept warm by the bench keeper for the whole run.
#   usage: tools/bench/note-bench.sh [rounds] [notes]
set -euo pipefail
source "$(dirname "$0")/../../scripts/setup.sh"
velix_setup
source "$velix_root/scripts/wine-env.sh"
velix_build "$VELIX_BENCH_ARCH" velix velix_bench_floor velix_note_bench velix_bench_keeper

velix_ensure_display
velix_prepare_prefix
trap velix_stop_bench EXIT
velix_start_wineserver
velix_keep_desktop "$velix_root/.build/$VELIX_BENCH_ARCH/bin/velix_bench_keeper.exe"
wine "$velix_root/.build/$VELIX_BENCH_ARCH/bin/velix_note_bench.exe" "$@"
