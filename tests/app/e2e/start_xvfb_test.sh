#!/bin/sh
# The real program's start on a bare X server: one that starts over each
# time its last client leaves, as a server without a desktop does (no
# -noreset). The program's own first look at the server, or a tool that
# looked for a window a moment before, is such a last client; a program
# that connects just then finds the server starting over. Every start must
# show the wizard's window, or end at once with a clear word when there is
# no server at all; none may run on where nobody sees it.
#
#   start_xvfb_test.sh PROGRAM STARTS BUSY
#
# STARTS starts in a row on one server, with BUSY busy loops beside them.
# CTest runs a short version (10 starts, 2 loops); the long one, by hand:
#   tests/net/private_network.sh run -- sh tests/app/e2e/start_xvfb_test.sh PROGRAM 40 6
# Exit code 77 (skipped) where Xvfb or xdotool is missing.
program=$1 starts=$2 busy=$3
if [ ! -x "$program" ] || [ -z "$starts" ] || [ -z "$busy" ]; then
    echo "usage: $0 PROGRAM STARTS BUSY" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
need_tools "starting the program on X" Xvfb xdotool timeout
open_session start_xvfb
loops=
trap 'for pid in $loops; do kill "$pid" 2>/dev/null; done; session_cleanup' EXIT

# A display number that no server of this machine has.
n=$((100 + $$ % 800))
while [ -e "/tmp/.X11-unix/X$n" ] && [ "$n" -lt 1000 ]; do n=$((n + 1)); done
DISPLAY=":$n"
export DISPLAY

start_program() {
    rm -rf "$dir/config" "$dir/data"
    mkdir -p "$dir/config" "$dir/data"
    start_shown 60 env TRELWIN_REGISTRY_DIR="$dir/config" XDG_DATA_HOME="$dir/data" "$program"
}
# A server that starts over when its last client leaves.
start_server() {
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    xvfb=$!
}
server_ready() { [ -e "/tmp/.X11-unix/X$n" ]; }
wizard_shown() { xdotool search --onlyvisible --name '^BriselTrelwin v[0-9.]*$' >/dev/null 2>&1; }
ended() { ! kill -0 "$shown" 2>/dev/null; }
stop_program() {
    kill "$shown" 2>/dev/null
    within 50 ended || fail "the program did not end on SIGTERM"
    wait "$shown" 2>/dev/null
    shown=
}

# No server: the program says so and ends with 1 (it used to go on with a
# video driver that shows nothing).
start_program
within 100 ended || fail "with no X server at $DISPLAY the program ran on unseen"
wait "$shown"
status=$?
shown=
[ "$status" = 1 ] || fail "with no X server the program ended with $status, not 1"
grep -q "cannot open the display $DISPLAY" "$dir/err" || fail "with no X server the program did not say so"

# The server comes up a moment after the program: it takes the program in
# as soon as it takes clients, as it does once it has started over.
start_program
sleep 0.3
start_server
within 100 wizard_shown || fail "no window when the X server came up just after the program"
stop_program

# Start after start, under load.
within 100 server_ready || fail "Xvfb did not come up: $(cat "$dir/xvfb.log")"
i=0
while [ "$i" -lt "$busy" ]; do
    sh -c 'while :; do :; done' &
    loops="$loops $!"
    i=$((i + 1))
done
i=1
while [ "$i" -le "$starts" ]; do
    start_program
    within 100 wizard_shown || fail "start $i of $starts: no window within 10 s"
    stop_program
    i=$((i + 1))
done
echo "$starts starts under $busy busy loops: every one showed the window"
