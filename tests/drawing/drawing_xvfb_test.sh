#!/bin/sh
# The drawing demo on a real X server: shown through SDL2 on Xvfb, its gauge
# filling up while xdotool, as a person would with the mouse and the keys,
# drags one box of the map and widens another by its right edge, joins two
# boxes with a line (Ctrl and the mouse), moves a box of that line, clicks
# the line and deletes it. Every wait is bounded; exit code 77 (skipped)
# where Xvfb or xdotool is missing.
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

at() { xdotool mousemove "$((X + mapx + $1))" "$((Y + mapy + $2))" || fail "xdotool could not move the mouse"; }

drag 100 70 100 130
within 50 has_line '^box 1 40 90 160 170$' || fail "the first box was not moved to (40, 90)"
drag 419 100 500 100
within 50 has_line '^box 2 300 50 500 150$' || fail "the second box was not widened to 500 by its right edge"
xdotool keydown ctrl
drag 400 100 620 80
xdotool keyup ctrl
within 50 has_line '^connector 2 3$' || fail "Ctrl and the mouse did not join the second box to the third"
drag 620 80 620 130
within 50 has_line '^box 3 560 90 680 170$' || fail "the third box was not moved to (560, 90)"
at 530 118
sleep 0.2
xdotool click 1
within 50 has_line '^selected 2 3$' || fail "a click on the line between the second and third box did not select it"
xdotool key Delete
within 50 has_line '^removed 2 3$' || fail "the Delete key did not remove the selected line"
within 50 has_line '^gauge 100$' || fail "the gauge did not fill up"
touch "$dir/done"
wait "$shown"
status=$?
shown=
[ "$status" -eq 0 ] || fail "the demo exited with $status"
[ -s "$png" ] || fail "no picture of the window in $png"
echo "PASS: the gauge filled up; boxes were dragged and widened, joined by a line that followed them, and the line was selected and deleted; picture in $png"
exit 0
