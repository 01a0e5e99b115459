# Sourced by the tests that run a program on a real X server (Xvfb). The
# sourcing script defines `fail` and keeps its files in $dir.
#
#   within TENTHS COMMAND...  runs COMMAND until it succeeds, at most TENTHS
#                             tenths of a second; fails (status 1) after that
#   start_xvfb WxH [OPTION...] starts Xvfb on a free display (its pid in
#                             $xvfb), with the options given (-dpi 192), and
#                             exports DISPLAY
#   need_tools WHAT TOOL...   exits 77 (skipped), saying that WHAT is not
#                             tried, when a tool is missing
#   open_session NAME         makes $dir, removed at exit together with the
#                             processes whose pids are in $shown and $xvfb,
#                             and defines fail MESSAGE, which shows the
#                             demo's $dir/out and $dir/err and exits 1
#   start_shown SECONDS COMMAND...
#                             runs the command in the background, stopped by
#                             timeout after SECONDS (pid in $shown), its
#                             output in $dir/out and $dir/err
#   find_window TITLE         the first visible window of exactly that title
#                             (in $window); fails when there is none
#   photograph WINDOW FILE    a picture of the window as the screen shows it,
#                             in $artefacts/FILE (the script sets $topng, the
#                             xwd_to_png tool, and $artefacts)

within() {
    tenths=$1
    shift
    while ! "$@"; do
        tenths=$((tenths - 1))
        [ "$tenths" -le 0 ] && return 1
        sleep 0.1
    done
}

# The server picks a free display number itself and writes it once it is
# ready. Inside a network namespace of its own (private_network.sh) it would
# find every number free, since the sockets it probes belong to the
# namespace, and take :0 like every other namespace's server, while the
# socket files in /tmp/.X11-unix that clients connect through are shared:
# there the number is chosen here instead, from this shell's process id,
# skipping numbers whose socket file exists. No reset when the last client
# leaves (as tests/platform/display/x_server.h starts it): a client coming
# just then, the demo while xdotool looks for its window, would be turned
# away while the server starts over.
start_xvfb() {
    size=$1
    shift
    display=
    if [ "${TRELWIN_NET_PRIVATE:-}" = 1 ]; then
        n=$((100 + $$ % 800))
        while [ -e "/tmp/.X11-unix/X$n" ] && [ "$n" -lt 1000 ]; do n=$((n + 1)); done
        display=":$n"
    fi
    # Emptied first: a server started earlier in the session wrote its number there.
    : >"$dir/display"
    # shellcheck disable=SC2086
    Xvfb $display -displayfd 3 -screen 0 "${size}x24" "$@" -nolisten tcp -noreset 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    xvfb=$!
    within 100 xvfb_ready
    number=$(grep '^[0-9][0-9]*$' "$dir/display")
    [ -n "$number" ] || fail "Xvfb did not come up: $(cat "$dir/xvfb.log")"
    DISPLAY=":$number"
    export DISPLAY
}

xvfb_ready() { grep -q '^[0-9][0-9]*$' "$dir/display" || ! kill -0 "$xvfb" 2>/dev/null; }

need_tools() {
    what=$1
    shift
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is missing (scripts/setup installs it): not $what"
            exit 77
        fi
    done
}

open_session() {
    dir=$(mktemp -d "${TMPDIR:-/tmp}/trelwin_$1.XXXXXX") || exit 1
    xvfb=
    shown=
    trap session_cleanup EXIT
    trap 'exit 1' INT TERM
    fail() {
        echo "FAIL: $*"
        echo "--- demo output:"; cat "$dir/out" 2>/dev/null
        echo "--- demo errors:"; cat "$dir/err" 2>/dev/null
        exit 1
    }
}

session_cleanup() {
    [ -n "$shown" ] && kill "$shown" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
}

# The system's D-Bus library, loaded by SDL, keeps a buffer to the end: not
# ours to report when the program runs under the leak checker.
start_shown() {
    seconds=$1
    shift
    echo "leak:libdbus-1.so" >"$dir/lsan.supp"
    # Emptied before the start: the background job opens them when it is
    # scheduled, and until then a wait for a line would find it in what an
    # earlier run left.
    : >"$dir/out"
    : >"$dir/err"
    LSAN_OPTIONS="suppressions=$dir/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
        timeout "$seconds" "$@" >>"$dir/out" 2>>"$dir/err" &
    shown=$!
}

find_window() {
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

photograph() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xwd -root -silent >"$dir/screen.xwd" || fail "xwd could not dump the screen"
    "$topng" "$dir/screen.xwd" "$artefacts/$2" "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "no picture $2"
    echo "picture: $artefacts/$2"
}
