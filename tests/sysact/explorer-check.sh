#!/usr/bin/env bash
# Opens Explorer on C: through the program's own call and checks, from the Linux side,
# that an Explorer process runs with the parameters "/e,C:".
#   explorer-check.sh PROBE.exe
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
"$here/scripts/wine-exec" "$1" C
found=""
for _ in $(seq 1 100); do
  found=$(pgrep -af 'explorer.exe /e,C:$' || true)
  [ -n "$found" ] && break
  sleep 0.1
done
pkill -f 'explorer.exe /e,C:$' 2>/dev/null || true
if [ -z "$found" ]; then
  echo "no Explorer with /e,C: was started"
  exit 1
fi
echo "started: $found"
