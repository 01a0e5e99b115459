# Sourced, after tests/xvfb_session.sh, by the scripts that drive the real
# program on Xvfb. The sourcing script sets $topng and $artefacts (and
# $standin for stand-in devices); the program's debug output goes to
# $dir/err.
#
#   open_program_session NAME PICTURE
#                                  open_session NAME, with the stand-ins
#                                  ($standins) stopped at exit too, and fail
#                                  MESSAGE showing the program's output, its
#                                  status once it has ended and the screen as
#                                  it was (in $artefacts/PICTURE)
#   need_private_network           exits 77 outside tests/net/private_network.sh,
#                                  1 when another interface has an address
#   dev N                          the address of device N of the private network
#   start_standin NAME ARGS...     a stand-in in the device namespace serving
#                                  $dir/NAME.devices, once it answers
#   start_program SECONDS PROGRAM  runs the program (pid in $shown) with the
#                                  settings in $dir/config and its debug output
#   shown_page NAME                whether the wizard has shown that page
#   find_wizard, find_box, no_box  the wizard ($wizard) and a message box ($box)
#   open_package_page              waits for the wizard's first page, puts its
#                                  top left corner in $wx $wy and the keyboard
#                                  focus on it
#   click_at X Y, click_dlu X Y    a click at pixels of the wizard, or at dialog
#                                  units of its page
#   count_lines RE, lines_at_least RE N   lines of the debug output
#   row_of ADDRESS                 the row of the device at that address in the
#                                  last refill of the Discover page's list
#   press KEYS..., type_text TEXT  keyboard input through xdotool
#   focus_wizard                   the X keyboard focus to the wizard
#   wait_for_end                   the program's exit status in $status once it
#                                  has ended (within 5 s; "" when it did not end)
#   x_errors                       the errors the X server reported for the
#                                  program's requests (its debug output names
#                                  each); none is expected

open_program_session() {
    open_session "$1"
    failed_picture=$2
    standins=
    trap 'for pid in $standins; do kill "$pid" 2>/dev/null; done; session_cleanup' EXIT
    fail() {
        echo "FAIL${mode:+ ($mode)}: $*"
        echo "--- program's debug output:"; cat "$dir/err" 2>/dev/null
        echo "--- program's output:"; cat "$dir/out" 2>/dev/null
        if [ -n "$shown" ] && ! kill -0 "$shown" 2>/dev/null; then
            wait "$shown"
            echo "--- the program has ended, with status $?"
        fi
        # The screen as it was, when there is one.
        if [ -n "$xvfb" ] && xwd -root -silent >"$dir/failed.xwd" 2>/dev/null &&
            "$topng" "$dir/failed.xwd" "$artefacts/$failed_picture" 0 0 1024 768 2>/dev/null; then
            echo "picture: $artefacts/$failed_picture"
        fi
        exit 1
    }
}

need_private_network() {
    if [ "${TRELWIN_NET_PRIVATE:-}" != 1 ]; then
        echo "SKIP: the program broadcasts on every interface: runs only inside tests/net/private_network.sh"
        exit 77
    fi
    # The only interface with an address beyond loopback must be the private one.
    addresses=$(ip -o -4 addr show scope global | awk '{print $4}')
    if [ "$addresses" != "$TRELWIN_NET_PROGRAM_ADDRESS/16" ]; then
        echo "FAIL: interfaces other than the private one here ($addresses): not broadcasting"
        exit 1
    fi
}

dev() { echo "$TRELWIN_NET_DEVICE_PREFIX$1"; }

# Each stand-in says "playing" once it answers.
start_standin() {
    name=$1
    shift
    ip netns exec "$TRELWIN_NET_DEVICE_NS" "$standin" --devices "$dir/$name.devices" --quiet "$@" 2>"$dir/$name.err" &
    standins="$standins $!"
    within 100 grep -qs playing "$dir/$name.err" || fail "the stand-in $name did not start: $(cat "$dir/$name.err")"
}

start_program() {
    mkdir -p "$dir/config" "$dir/data"
    start_shown "$1" env TRELWIN_REGISTRY_DIR="$dir/config" XDG_DATA_HOME="$dir/data" TRELWIN_DEBUG_OUTPUT=1 "$2"
}

shown_page() { grep -q "^wizard page $1 shown\$" "$dir/err"; }
find_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
find_wizard() { wizard=$(find_named '^BriselTrelwin v[0-9.]*$'); [ -n "$wizard" ]; }
find_box() { box=$(find_named '^BriselTrelwin$'); [ -n "$box" ]; }
no_box() { ! find_box; }

open_package_page() {
    within 150 find_wizard || fail "no window titled 'BriselTrelwin v...' on the X server"
    within 50 shown_page SelectFile || fail "the package page was not shown"
    eval "$(xdotool getwindowgeometry --shell "$wizard")"
    wx=$X wy=$Y
    # Keyboard input goes where the pointer is (no window manager runs).
    xdotool mousemove "$((wx + 390))" "$((wy + 510))"
    sleep 0.3
    focus_wizard
}

# The page's dialog units are 1.5 pixels each with its font, and the page
# starts at (14, 88) of the wizard.
click_at() { xdotool mousemove "$((wx + $1))" "$((wy + $2))" click 1 || fail "xdotool could not click"; sleep 0.2; }
click_dlu() { click_at "$((14 + $1 * 3 / 2))" "$((88 + $2 * 3 / 2))"; }

count_lines() { grep -c "$1" "$dir/err" 2>/dev/null; }
lines_at_least() { [ "$(count_lines "$1")" -ge "$2" ]; }
row_of() {
    awk -v address="$1" '/^device row 0:/ { row = "" }
         /^device row [0-9]*:/ { split($0, f, /[ :|]/); if (substr($0, index($0, ": ") + 2, length(address) + 1) == address "|") row = f[3] }
         END { print row }' "$dir/err"
}

press() { xdotool key --clearmodifiers "$@" || fail "xdotool could not press $*"; }
# A closed box leaves the keyboard focus nowhere.
focus_wizard() { xdotool windowfocus --sync "$wizard" 2>/dev/null || xdotool windowfocus "$wizard"; }
type_text() { xdotool type --delay 5 "$1" || fail "xdotool could not type"; }

x_errors() { grep '^X error: ' "$dir/err" 2>/dev/null | head -n 5; }

wait_for_end() {
    status=
    for i in $(seq 1 50); do
        if ! kill -0 "$shown" 2>/dev/null; then
            wait "$shown"
            status=$?
            shown=
            return
        fi
        sleep 0.1
    done
}
