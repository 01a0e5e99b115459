#!/bin/sh
# The test wizard on a real X server: shown through SDL2 on Xvfb, found by its
# title, and clicked through with xdotool (Next, Next, Finish) at the places
# the wizard reports for its buttons. Every wait is bounded; exit code 77
# (skipped) where Xvfb or xdotool is missing.
#
#   wizard_xvfb_test.sh DEMO
demo=$1
title='Trelwin test wizard'
if [ -z "$demo" ] || [ ! -x "$demo" ]; then
    echo "usage: $0 DEMO (the wizard demo program)" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
need_tools "clicking the wizard through on X" Xvfb xdotool timeout
open_session wizard_xvfb
start_xvfb 800x600
start_shown 40 "$demo"

has_line() { grep -q "$1" "$dir/out"; }

for page in 1 2 3; do
    within 100 has_line "^page $page " || fail "page $page was not shown"
    set -- $(grep "^page $page " "$dir/out" | head -n 1)
    button=$3 dx=$4 dy=$5
    within 100 find_window "$title" || fail "no window titled '$title' on the X server"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "page $page: clicking $button at ($((X + dx)), $((Y + dy))) of window $window at ($X, $Y)"
    xdotool mousemove "$((X + dx))" "$((Y + dy))" click 1 || fail "xdotool could not click $button"
done

# The demo ends itself after 30 seconds, and timeout stops it after 40.
wait "$shown"
status=$?
shown=
[ "$status" -eq 0 ] || fail "the wizard exited with $status, not by Finish"
has_line "^finished on page 3\$" || fail "Finish was not reported on page 3"
order=$(grep -o '^page [0-9]' "$dir/out" | tr '\n' ' ')
[ "$order" = "page 1 page 2 page 3 " ] || fail "pages shown as '$order', not 1, 2, 3 once each"
echo "PASS: the wizard went through pages 1, 2 and 3 by clicks and ended by Finish"
exit 0
