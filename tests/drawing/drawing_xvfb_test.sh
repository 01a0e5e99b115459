#!/bin/sh
# The drawing demo on a real X server: shown through SDL2 on Xvfb, its gauge
# filling up while xdotool drags one box of the map and widens the other by
# its right edge, as a person would with the mouse. Every wait is bounded;
# exit code 77 (skipped) where Xvfb or xdotool is missing.
#
#   drawing_xvfb_test.sh DEMO PNG
demo=$1
png=$2
title='Trelwin drawing demo'
if [ -z "$demo" ] || [ ! -x "$demo" ] || [ -z "$png" ]; then
    echo "usage: $0 DEMO PNG (the drawing demo program, the picture to save)" >&2
    exit 2
fi
. "$(dirname "$0")/../xvfb_session.sh"
need_tools "dragging the map's boxes on X" Xvfb xdotool timeout
open_session drawing_xvfb
start_xvfb 1024x600

mkdir -p "$(dirname "$png")"
start_shown 40 "$demo" --until "$dir/done" --png "$png"

has_line() { grep -q "$1" "$dir/out"; }
within 100 has_line '^ready ' || fail "the demo did not come up"
set -- $(grep '^ready ' "$dir/out" | head -n 1)
mapx=$2 mapy=$3
within 100 find_window "$title" || fail "no window titled '$title' on the X server"
eval "$(xdotool getwindowgeometry --shell "$window")"

# Drags from (x1, y1) to (x2, y2) of the map in a few steps.
drag() {
    xdotool mousemove "$((X + mapx + $1))" "$((Y + mapy + $2))" || fail "xdotool could not move the mouse"
    sleep 0.2
    xdotool mousedown 1
    for step in 1 2 3 4; do
        xdotool mousemove "$((X + mapx + $1 + ($3 - $1) * step / 4))" "$((Y + mapy + $2 + ($4 - $2) * step / 4))"
        sleep 0.05
    done
    xdotool mouseup 1
}

drag 100 70 250 110
within 50 has_line '^box 0 190 70 310 150$' || fail "the first box was not moved to (190, 70)"
drag 419 100 520 100
within 50 has_line '^box 1 300 50 520 150$' || fail "the second box was not widened to 520 by its right edge"
within 50 has_line '^gauge 100$' || fail "the gauge did not fill up"
touch "$dir/done"
wait "$shown"
status=$?
shown=
[ "$status" -eq 0 ] || fail "the demo exited with $status"
[ -s "$png" ] || fail "no picture of the window in $png"
echo "PASS: the gauge filled up, one box was dragged and the other widened by the mouse; picture in $png"
exit 0
