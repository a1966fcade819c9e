#!/usr/bin/env bash
# Starts the toolkit demo under Wine, captures it as a PNG through X and checks pixels of
# the picture: the red frame of the clickable control and the yellow of the raised one.
#   demo-screenshot.sh DEMO.exe OUT.png
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
demo=$1
out=$2
# Wine itself, not wine-exec: that would start the program again when it ends at once
# without a word, as a program ended by taskkill does.
source "$here/scripts/wine-env.sh"
wine "$demo" &
runner=$!
# The program is ended on the Windows side, so that its window does not stay on the
# screen for the tests that come after.
stop_program() {
  "$here/scripts/wine-exec" taskkill /f /im "$(basename "$demo")" >/dev/null 2>&1 ||
    kill -KILL "$runner" 2>/dev/null || true
  wait "$runner" 2>/dev/null || true
}
trap stop_program EXIT
"$here/scripts/screenshot.sh" "Kx demo" "$out" >/dev/null

pixel() { convert "$out" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
# Count pure red and pure yellow pixels: the frame and the raised control's face.
count() { convert "$out" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*w*h)]' info:; }
red=$(count 'rgb(255,0,0)')
yellow=$(count 'rgb(255,255,0)')
echo "red pixels: $red, yellow pixels: $yellow, top-left: $(pixel 0 0)"
# An 80 x 40 frame is 236 pixels; the yellow face is about 76 x 36.
[ "$red" -ge 230 ] && [ "$red" -le 240 ] || { echo "unexpected red frame"; exit 1; }
[ "$yellow" -ge 2000 ] || { echo "raised control not painted"; exit 1; }
