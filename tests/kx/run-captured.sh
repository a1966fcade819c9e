# Sourced by the toolkit's screenshot tests: starts a program under Wine and ends it again
# when the sourcing script exits; sets here (the source tree) and defines count.
#   source run-captured.sh PROGRAM.exe
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
program=$1
# Wine itself, not wine-exec: that would start the program again when it ends at once
# without a word, as a program ended by taskkill does.
source "$here/scripts/wine-env.sh"
# The pointer goes to the lower right of Wine's virtual desktop (1024 x 768, see
# wine-env.sh) first, clear of the forms: left where an earlier test pressed, it could
# stand over a control and draw it highlighted. Outside the desktop it would leave the
# pointer where Wine cannot follow it, and a later test's SetCursorPos would not take.
xdotool mousemove 900 650
wine "$program" &
runner=$!
# The program is ended on the Windows side, so that its window does not stay on the
# screen for the tests that come after.
stop_program() {
  "$here/scripts/wine-exec" taskkill /f /im "$(basename "$program")" >/dev/null 2>&1 ||
    kill -KILL "$runner" 2>/dev/null || true
  wait "$runner" 2>/dev/null || true
}
trap stop_program EXIT

# count PICTURE COLOUR: how many pixels of PICTURE are exactly COLOUR.
count() { convert "$1" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:int(mean*w*h)]' info:; }
