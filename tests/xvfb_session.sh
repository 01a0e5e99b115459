# Sourced by the tests that run a program on a real X server (Xvfb). The
# sourcing script defines `fail` and keeps its files in $dir.
#
#   within TENTHS COMMAND...  runs COMMAND until it succeeds, at most TENTHS
#                             tenths of a second; fails (status 1) after that
#   start_xvfb WxH            starts Xvfb on a free display (its pid in
#                             $xvfb) and exports DISPLAY

within() {
    tenths=$1
    shift
    while ! "$@"; do
        tenths=$((tenths - 1))
        [ "$tenths" -le 0 ] && return 1
        sleep 0.1
    done
}

# The server picks a free display number itself (lock files settle races with
# other servers starting at the same time) and writes it once it is ready.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    xvfb=$!
    within 100 xvfb_ready
    number=$(grep '^[0-9][0-9]*$' "$dir/display")
    [ -n "$number" ] || fail "Xvfb did not come up: $(cat "$dir/xvfb.log")"
    DISPLAY=":$number"
    export DISPLAY
}

xvfb_ready() { grep -q '^[0-9][0-9]*$' "$dir/display" || ! kill -0 "$xvfb" 2>/dev/null; }
