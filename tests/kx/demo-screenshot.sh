#!/usr/bin/env bash
# Starts the toolkit demo under Wine, captures it as a PNG through X and checks pixels of
# the picture: the red frame of the clickable control and the yellow of the raised one.
#   demo-screenshot.sh DEMO.exe OUT.png
set -euo pipefail
out=$2
source "$(dirname "$0")/run-captured.sh" "$1"
"$here/scripts/screenshot.sh" "Kx demo" "$out" >/dev/null

pixel() { convert "$out" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
# Pure red and pure yellow pixels: the frame and the raised control's face.
red=$(count "$out" 'rgb(255,0,0)')
yellow=$(count "$out" 'rgb(255,255,0)')
echo "red pixels: $red, yellow pixels: $yellow, top-left: $(pixel 0 0)"
# An 80 x 40 frame is 236 pixels; the yellow face is about 76 x 36.
[ "$red" -ge 230 ] && [ "$red" -le 240 ] || { echo "unexpected red frame"; exit 1; }
[ "$yellow" -ge 2000 ] || { echo "raised control not painted"; exit 1; }
