#!/bin/sh
# The package page's Browse on a real X server, used as a person would with
# the mouse and the keyboard through xdotool: the open-file dialog opens at
# home, a click on the Size heading sorts (twice: largest first), letters
# and Enter open a folder, a double click opens the next, the Home button
# jumps back, a typed path completes folder names, and a double click
# chooses the package. The program keeps that folder in its settings, and
# the next Browse opens there. Screenshots of each step stay in the
# artefact folder. Every wait is bounded; exit code 77 (skipped) where
# Xvfb, xdotool or xwd is missing.
#
#   browse_xvfb_test.sh PROGRAM XWD_TO_PNG ARTEFACT_FOLDER
program=$1 topng=$2 artefacts=$3
if [ ! -x "$program" ] || [ ! -x "$topng" ] || [ -z "$artefacts" ]; then
    echo "usage: $0 PROGRAM XWD_TO_PNG ARTEFACT_FOLDER" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
. "$(dirname "$0")/program_session.sh"
need_tools "browsing for a package on X" Xvfb xdotool xwd timeout
open_program_session browse_xvfb browse_failed.png
mkdir -p "$artefacts"
start_xvfb 1024x768

# A home of the test's own: two folders (one named in Chinese), packages of
# three sizes and a file the filter leaves out.
home="$dir/home"
mkdir -p "$home/docs/firmware" "$home/编码器固件"
head -c 10 /dev/zero >"$home/a_small.zpk"
head -c 2097152 /dev/zero >"$home/z_large.zpk"
head -c 40960 /dev/zero >"$home/m_medium.zpk"
echo notes >"$home/notes.txt"
head -c 40960 /dev/zero >"$home/docs/firmware/encoder_v2.zpk"
head -c 4096 /dev/zero >"$home/docs/firmware/decoder_v1.zpk"
HOME=$home
export HOME
start_program 90 "$program"
open_package_page

find_dialog() { dialog=$(find_named '^Open$'); [ -n "$dialog" ]; }
no_dialog() { ! find_dialog; }
# The dialog's client area in dialog units of 1.5 pixels, inside its frame
# and caption.
open_dialog() {
    click_dlu 463 17
    within 50 find_dialog || fail "Browse showed no open-file dialog"
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    border=$(((WIDTH - 570) / 2))
    dx=$((X + border)) dy=$((Y + HEIGHT - 324 - border))
    xdotool mousemove "$((dx + 300))" "$((dy + 200))"
    sleep 0.3
}
at_dlu() { echo "$((dx + $1 * 3 / 2)) $((dy + $2 * 3 / 2))"; }
# Far enough apart that two clicks never make a double click.
click_dialog() { xdotool mousemove $(at_dlu "$1" "$2") click 1 || fail "xdotool could not click"; sleep 0.7; }
double_click_dialog() {
    xdotool mousemove $(at_dlu "$1" "$2") click --repeat 2 --delay 80 1 || fail "xdotool could not click"
    sleep 0.3
}
shot() { sleep 0.3; photograph "$dialog" "$1"; }
settings() { cat "$dir/config/HKEY_CURRENT_USER.reg" 2>/dev/null; }
remembers() { settings | grep -qF "\"LastPackageFolder\"=\"$1\""; }

open_dialog
shot browse_1_home.png
# Size, then Size again: the largest first, the folders still on top.
click_dialog 278 31
click_dialog 278 31
shot browse_2_by_size.png
# Letters select by name in the list; Enter opens the folder.
click_dialog 200 140
type_text do
press Return
shot browse_3_docs.png
# The only entry, firmware, in the first row.
double_click_dialog 120 44
shot browse_4_firmware.png
# Home, then the path typed with completion: "do" and "fi" complete the
# folder names (End takes a completion), Enter opens the folder.
click_dialog 32 32
shot browse_5_home_again.png
click_dialog 150 13
press End shift+Home BackSpace
type_text "$home/do"
press End
type_text fi
shot browse_6_completed.png
press Return
sleep 0.3
# The first row: the larger package, as the list is still sorted by size.
double_click_dialog 120 44
within 50 no_dialog || fail "a double click on a package did not choose it"
within 50 remembers "$home/docs/firmware" || fail "the chosen folder was not kept in the settings: $(settings)"
sleep 0.3
photograph "$wizard" browse_7_chosen.png

# The next Browse opens where the package was chosen.
open_dialog
shot browse_8_reopened.png
press Escape
within 50 no_dialog || fail "Escape did not close the dialog"

focus_wizard
press Escape
wait_for_end
[ "$status" = 0 ] || fail "the program ended with status '$status' on Cancel"
[ -z "$(x_errors)" ] || fail "the X server reported errors for the program's requests: $(x_errors)"
echo "PASS: Browse sorted, opened folders, jumped home, completed a typed path, chose a package and reopened there"
exit 0
