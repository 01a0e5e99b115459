# Sourced by the scripts that drive the real program on Xvfb. The sourcing
# script defines `fail`, keeps its files in $dir, the program's debug output
# in $dir/err, and sets $topng and $artefacts.
#
#   start_program SECONDS PROGRAM  runs the program (pid in $shown) with the
#                                  settings in $dir/config and its debug output
#   shown_page NAME                whether the wizard has shown that page
#   find_wizard, find_box, no_box  the wizard ($wizard) and a message box ($box)
#   photograph WINDOW FILE         a picture of the window in the artefacts
#   press KEYS..., type_text TEXT  keyboard input through xdotool
#   focus_wizard                   the X keyboard focus to the wizard
#   wait_for_end                   the program's exit status in $status once it
#                                  has ended (within 5 s; "" when it did not end)

start_program() {
    mkdir -p "$dir/config" "$dir/data"
    echo "leak:libdbus-1.so" >"$dir/lsan.supp"
    LSAN_OPTIONS="suppressions=$dir/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
        TRELWIN_REGISTRY_DIR="$dir/config" XDG_DATA_HOME="$dir/data" TRELWIN_DEBUG_OUTPUT=1 \
        timeout "$1" "$2" >"$dir/out" 2>"$dir/err" &
    shown=$!
}

shown_page() { grep -q "^wizard page $1 shown\$" "$dir/err"; }
find_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
find_wizard() { wizard=$(find_named '^BriselTrelwin v[0-9.]*$'); [ -n "$wizard" ]; }
find_box() { box=$(find_named '^BriselTrelwin$'); [ -n "$box" ]; }
no_box() { ! find_box; }

photograph() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xwd -root -silent >"$dir/screen.xwd" || fail "xwd could not dump the screen"
    "$topng" "$dir/screen.xwd" "$artefacts/$2" "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "no picture $2"
    echo "picture: $artefacts/$2"
}

press() { xdotool key --clearmodifiers "$@" || fail "xdotool could not press $*"; }
# A closed box leaves the keyboard focus nowhere.
focus_wizard() { xdotool windowfocus --sync "$wizard" 2>/dev/null || xdotool windowfocus "$wizard"; }
type_text() { xdotool type --delay 5 "$1" || fail "xdotool could not type"; }

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
