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
for tool in Xvfb xdotool timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is missing (scripts/setup installs xvfb and xdotool): not clicking the wizard through on X"
        exit 77
    fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/trelwin_wizard_xvfb.XXXXXX") || exit 1
xvfb=
shown=
cleanup() {
    [ -n "$shown" ] && kill "$shown" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    echo "--- wizard output:"; cat "$dir/out" 2>/dev/null
    echo "--- wizard errors:"; cat "$dir/err" 2>/dev/null
    exit 1
}

. "$(dirname "$0")/../../xvfb_session.sh"
start_xvfb 800x600

# The system's D-Bus library, loaded by SDL, keeps a buffer to the end: not
# ours to report when the demo runs under the leak checker.
echo "leak:libdbus-1.so" >"$dir/lsan.supp"
LSAN_OPTIONS="suppressions=$dir/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" timeout 40 "$demo" >"$dir/out" 2>"$dir/err" &
shown=$!

has_line() { grep -q "$1" "$dir/out"; }
find_window() {
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

for page in 1 2 3; do
    within 100 has_line "^page $page " || fail "page $page was not shown"
    set -- $(grep "^page $page " "$dir/out" | head -n 1)
    button=$3 dx=$4 dy=$5
    within 100 find_window || fail "no window titled '$title' on the X server"
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
