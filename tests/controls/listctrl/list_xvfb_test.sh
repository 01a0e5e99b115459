#!/bin/sh
# The device list on a real X server: shown through SDL2 on Xvfb and used
# with xdotool as a person would: a click on "Name" sorts by it, a
# Shift-click on "Type" adds it as the second key, the header's context
# menu opens the column selection dialog (closed again by Esc), and the
# close box ends the run. A second run shows the keys the first one left.
# Every wait is bounded; exit code 77 (skipped) where Xvfb or xdotool is
# missing.
#
#   list_xvfb_test.sh DEMO
demo=$1
title='Trelwin device list'
if [ -z "$demo" ] || [ ! -x "$demo" ]; then
    echo "usage: $0 DEMO (the device list demo program)" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
need_tools "using the list on X" Xvfb xdotool timeout
open_session list_xvfb
mkdir "$dir/registry"
start_xvfb 1000x700

has_line() { grep -q "$1" "$dir/out"; }
lines() { grep -c "$1" "$dir/out"; }
# Counted anew at every try of `within`.
sorts_at_least() { test "$(lines '^sorted')" -ge "$1"; }
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
more_windows_than() { test "$(visible_windows)" -gt "$1"; }
no_window() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
# The point the demo printed for a name ("column 1", "close"), on the screen.
point() {
    set -- $(grep "^$1 " "$dir/out" | head -n 1)
    shift $(($# - 2))
    px=$((X + $1)) py=$((Y + $2))
}

start_demo() {
    start_shown 60 "$demo" "$dir/registry"
    within 100 has_line '^ready$' || fail "the list was not shown"
    within 100 find_window "$title" || fail "no window titled '$title' on the X server"
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

close_demo() {
    point close
    xdotool mousemove "$px" "$py" click 1 || fail "xdotool could not click the close box"
    wait "$shown"
    status=$?
    shown=
    [ "$status" -eq 0 ] || fail "the demo exited with $status, not by its close box"
}

start_demo
point "column 1"
xdotool mousemove "$px" "$py" click 1
within 50 sorts_at_least 1 || fail "a click on Name did not sort"
point "column 2"
xdotool mousemove "$px" "$py" keydown shift click 1 keyup shift
within 50 sorts_at_least 2 || fail "a Shift-click on Type did not sort"
# Names first (Studio A-00 three times), then types: Decoder, Encoder, Gateway.
grep '^sorted' "$dir/out" | tail -n 1 | grep -q '^sorted 192.168.1.132 192.168.1.10 192.168.1.71 ' ||
    fail "rows not in order of name, then type"

point "column 0"
windows=$(visible_windows)
xdotool mousemove "$px" "$py" click 3
# The keys are the menu's once it shows; before, they would go to the list.
within 50 more_windows_than "$windows" || fail "a right click on the header did not open its menu"
xdotool key Down Return
within 50 find_window 'Column selection' || fail "the header menu did not open the column selection dialog"
xdotool key Escape
within 50 no_window 'Column selection' || fail "Esc did not close the column selection dialog"
close_demo
grep -q '^keys 1:up 2:up$' "$dir/out" || fail "the keys were not Name then Type, both ascending"

# The layout came back: the same keys without a click.
start_demo
close_demo
grep -q '^keys 1:up 2:up$' "$dir/out" || fail "the second run did not get the keys back"
echo "PASS: sorted by clicks on X, opened and closed the column dialog from the header menu, layout kept"
exit 0
