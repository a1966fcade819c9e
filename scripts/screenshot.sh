#!/usr/bin/env bash
# Captures the X window of a Wine window by its exact title as a PNG:
#   screenshot.sh TITLE OUT.png
# Run with the bench's DISPLAY. Waits up to 15 s for the window to appear.
set -euo pipefail
title=$1
out=$2
id=""
for _ in $(seq 1 150); do
  id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$id" ] && break
  sleep 0.1
done
if [ -z "$id" ]; then
  echo "screenshot: no window titled '$title'" >&2
  exit 1
fi
sleep 0.5
mkdir -p "$(dirname "$out")"
xwd -silent -id "$id" | convert xwd:- "$out"
echo "$out"
