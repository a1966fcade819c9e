#!/usr/bin/env bash
# Starts the toolkit showcase under Wine, captures it as a PNG through X and checks
# pixels of the picture: button outlines, the check-box cross, the progress bars, the
# tip, the bitmap resource and the animated picture.
#   showcase-screenshot.sh SHOWCASE.exe OUT.png
set -euo pipefail
out=$2
source "$(dirname "$0")/run-captured.sh" "$1"
"$here/scripts/screenshot.sh" "Kx showcase" "$out" >/dev/null
# The tip is a window of its own, which a capture of the form leaves black; capture it
# too and lay it over the form where it stands on the screen.
tip=${out%.png}-tip.png
"$here/scripts/screenshot.sh" "保存并关闭" "$tip" >/dev/null
origin() { xwininfo -id "$(xdotool search --name "^$1\$" | head -n 1)" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }
read -r formX formY < <(origin "Kx showcase")
read -r tipX tipY < <(origin "保存并关闭")
convert "$out" "$tip" -geometry "+$((tipX - formX))+$((tipY - formY))" -composite "$out"

check() {  # name colour minimum maximum
  local n
  n=$(count "$out" "$2")
  echo "$1: $n pixels of $2"
  [ "$n" -ge "$3" ] && [ "$n" -le "$4" ] || { echo "unexpected $1"; exit 1; }
}
# Two 76 x 26 button outlines at rest, the chevron button and the edit's flat frame.
check "button outlines" 'rgb(110,120,255)' 700 1100
check "check-box cross" 'rgb(20,180,60)' 15 120
# The 60 % bar is 142 x 14; the stub of the empty range 2 x 14.
check "progress bars" 'rgb(80,182,231)' 2000 2100
# The tip: text width + 8 by text height + 4, yellow inside its black frame.
check "tip" 'rgb(255,255,0)' 300 2000
# The 120 x 80 bitmap resource runs from blue in its top row to yellow in its bottom row.
check "bitmap top row" 'rgb(40,90,220)' 120 240
check "bitmap bottom row" 'rgb(250,210,60)' 120 240
# One frame of the animation fills 64 x 64 in pure red, green or blue.
frames=$(( $(count "$out" 'rgb(255,0,0)') + $(count "$out" 'rgb(0,255,0)') + $(count "$out" 'rgb(0,0,255)') ))
echo "animation pixels: $frames"
[ "$frames" -ge 4000 ] || { echo "animated picture not shown"; exit 1; }
