#!/usr/bin/env bash
# up: makes the prefix at the scale VELIX_LOGPIXELS names (when it is missing) and keeps a
# wineserver of its own running for it; down: stops that server. The display is the
# caller's, as for the rest of the bench.
if [ -z "${VELIX_LOGPIXELS:-}" ]; then
  echo "dpi-bench: VELIX_LOGPIXELS names the scale of the prefix, e.g. 144" >&2
  exit 2
fi
# wine-env.sh is written for the bench's shells, not for errexit.
source "$(dirname "$0")/wine-env.sh"
case "${1:-}" in
  up)
    velix_prepare_prefix || exit 1
    # The server and the processes it starts outlive this script: they must not hold the
    # output that CTest reads to its end.
    velix_start_wineserver >/dev/null 2>&1 </dev/null
    ;;
  down)
    wineserver -k >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 up|down" >&2
    exit 2
    ;;
esac
