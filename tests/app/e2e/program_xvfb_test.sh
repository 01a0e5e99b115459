#!/bin/sh
# The real program on a real X server: started on Xvfb, found by its title,
# photographed on its first page, then driven with the keyboard through
# xdotool: a foreign file is refused with a message box, a real package
# leads to the second page, and Cancel ends the process with status 0.
# The program's settings and log go to folders of the test's own. Every wait
# is bounded; exit code 77 (skipped) where Xvfb, xdotool or xwd is missing.
#
#   program_xvfb_test.sh PROGRAM PACKAGE_MAKER XWD_TO_PNG ARTEFACT_FOLDER
program=$1 maker=$2 topng=$3 artefacts=$4
if [ ! -x "$program" ] || [ ! -x "$maker" ] || [ ! -x "$topng" ] || [ -z "$artefacts" ]; then
    echo "usage: $0 PROGRAM PACKAGE_MAKER XWD_TO_PNG ARTEFACT_FOLDER" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
. "$(dirname "$0")/program_session.sh"
need_tools "running the program on X" Xvfb xdotool xwd timeout
open_program_session program_xvfb program_failed.png
mkdir -p "$artefacts"
start_xvfb 1024x768

"$maker" -o "$dir/update.zpk" --device-type 23 --section 0x0A0D,1,02.5.6,4096 >/dev/null || fail "no package made"
echo "these are notes, not an update" >"$dir/notes.zpk"

# A setting an older installation left for the whole machine: the program
# moves it to the user's key when it starts.
mkdir -p "$dir/config"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Brisel\\BriselTrelwin]\n"ListDeviceManualFlash"="10.1.2.3"\n' \
    >"$dir/config/HKEY_LOCAL_MACHINE.reg"
start_program 60 "$program"

within 150 find_wizard || fail "no window titled 'BriselTrelwin v...' on the X server"
# The program's icon reaches the host window (task bars and window managers
# show it); xprop comes with x11-utils.
if command -v xprop >/dev/null 2>&1; then
    has_icon() { xprop -id "$wizard" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (32 x 32)'; }
    within 50 has_icon || fail "the wizard's host window has no 32x32 icon"
fi
within 50 shown_page SelectFile || fail "the package page was not shown"
eval "$(xdotool getwindowgeometry --shell "$wizard")"
# Keyboard input goes where the pointer is (no window manager runs).
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT - 10))"
sleep 0.3
photograph "$wizard" page1.png
focus_wizard

# A foreign file: the refusal's box, and the wizard stays on its first page.
type_text "$dir/notes.zpk"
press Return
within 50 find_box || fail "no message box for a foreign file"
photograph "$box" refusal.png
press Return
within 50 no_box || fail "the message box did not close"
shown_page Discover && fail "a foreign file led to the second page"

# A real package leads to the second page.
focus_wizard
press End shift+Home BackSpace
type_text "$dir/update.zpk"
press Return
within 50 shown_page Discover || fail "a valid package did not lead to the second page"
sleep 0.3
photograph "$wizard" page2.png

# Cancel ends the program, showing nothing more.
press Escape
status=
for i in $(seq 1 50); do
    if ! kill -0 "$shown" 2>/dev/null; then
        wait "$shown"
        status=$?
        break
    fi
    find_box && fail "a box was shown on Cancel"
    sleep 0.1
done
[ -n "$status" ] || fail "the program did not end on Cancel"
shown=
[ "$status" -eq 0 ] || fail "the program ended with status $status on Cancel"
[ -z "$(x_errors)" ] || fail "the X server reported errors for the program's requests: $(x_errors)"
grep -q '10.1.2.3' "$dir/config/HKEY_CURRENT_USER.reg" 2>/dev/null ||
    fail "the machine's setting was not moved to the user's key"
grep -q '10.1.2.3' "$dir/config/HKEY_LOCAL_MACHINE.reg" && fail "the machine's setting was copied, not moved"
echo "PASS: first page shown, a foreign file refused, a package accepted, Cancel ended the program with 0, settings moved, no X error"
exit 0
