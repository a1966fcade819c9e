#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds velix.exe and runs it under Wine.
# Its program directory is the build's bin/ folder, so Config.db is kept there. The 32-bit
# program runs where the machine can run 32-bit programs, the 64-bit one elsewhere
# (wine-env.sh).
set -euo pipefail
source "$(dirname "$0")/setup.sh"

velix_setup
source "$velix_root/scripts/wine-env.sh"
velix_build "$VELIX_BENCH_ARCH" velix

velix_ensure_display
if [ -n "$velix_started_xvfb" ]; then
  echo "run: no display was set; Velix runs on the virtual display $DISPLAY"
fi
velix_prepare_prefix
trap velix_stop_bench EXIT
cd "$velix_root/.build/$VELIX_BENCH_ARCH/bin"
wine velix.exe "$@"
wineserver -w
