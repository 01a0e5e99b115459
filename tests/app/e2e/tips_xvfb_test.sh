#!/bin/sh
# The device list's tips in the real program on Xvfb, inside the private
# network of tests/net/private_network.sh, with three stand-in devices: one
# whose name is too long for its column, one whose name fits, and one whose
# name is mark-up. Driven with xdotool as a person would:
#
# - resting on the long name, the tip with the whole name comes after the
#   show delay (not before it) and stands above the pointer with its
#   corner at it; outside the tip's shape (the corners its shadow
#   leaves) the screen shows what lay beneath before, pixel for pixel;
# - the tip takes neither the keyboard focus nor (under a window manager)
#   the activation from the wizard;
# - moving on to the name that fits takes the tip away at once;
# - the mark-up name shows as its own text: one line as high as the plain
#   one, wider than its column;
# - with the pointer gone from the list, the tip goes when its time is up.
#
# MANAGER none: no window manager; openbox: under openbox. Pictures of the
# tips and the tip's corners enlarged stay in the artefact folder. Every
# wait is bounded; exit code 77 (skipped) where a tool is missing or when
# not run inside the private network.
#
#   private_network.sh run --devices 3 -- \
#       tips_xvfb_test.sh PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER none|openbox
program=$1 maker=$2 topng=$3 standin=$4 artefacts=$5 manager=$6
if [ ! -x "$program" ] || [ ! -x "$maker" ] || [ ! -x "$topng" ] || [ ! -x "$standin" ] || [ -z "$artefacts" ] ||
    { [ "$manager" != none ] && [ "$manager" != openbox ]; }; then
    echo "usage: $0 PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER none|openbox" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
. "$(dirname "$0")/program_session.sh"
need_tools "showing the list's tips on X" Xvfb xdotool xwd xprop timeout ip cmp
[ "$manager" = openbox ] && need_tools "showing the list's tips under a window manager" openbox
need_private_network

mode=$manager
artefacts="$artefacts/tips_$manager"
mkdir -p "$artefacts"
rm -f "$artefacts/failed.png"
open_program_session tips_xvfb failed.png

D1=$(dev 1) D2=$(dev 2) D3=$(dev 3)
long_name="Encoder in the north studio, rack seven, slot three"
markup_name='<a href=x>link</a><table><tr><td><bmp file=/etc/shadow>'
cat >"$dir/broadcast.devices" <<EOF
$D1 type=23 version=6.8.0 name="$long_name" status=Connected
$D2 type=23 version=6.8.0 name=Enc-2 status=Idle
$D3 type=23 version=6.8.0 name="$markup_name" status=Idle
EOF
start_standin broadcast --listen-broadcast

start_xvfb 1024x768
if [ "$manager" = openbox ]; then
    # Stopped at exit with the stand-ins.
    openbox >"$dir/wm.log" 2>&1 &
    standins="$standins $!"
    manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    within 100 manager_runs || fail "openbox did not come up: $(cat "$dir/wm.log")"
fi
"$maker" -o "$dir/update.zpk" --device-type 23 --section 0x0A0D,1,02.5.6,4096 >/dev/null || fail "no package made"
mkdir -p "$dir/config"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n"DiscoverDevicesTimeout"="1"\n' \
    >"$dir/config/HKEY_CURRENT_USER.reg"
start_program 60 "$program"
started=$(date +%s)

now_ms() { date +%s%3N; }
# The tip: a shown host window of the program other than the wizard; its
# place and size in $tx $ty $tw $th (the shadow included).
find_tip() {
    tip=$(xdotool search --onlyvisible --class '^BriselTrelwin$' 2>/dev/null | grep -vx "$wizard" | head -n 1)
    [ -n "$tip" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$tip" 2>/dev/null)" || return 1
    tx=$X ty=$Y tw=$WIDTH th=$HEIGHT
}
no_tip() { ! find_tip; }
# The screen now, as $dir/NAME.xwd, and a part of it (screen coordinates) as
# a picture: crop NAME X Y WIDTH HEIGHT FILE [FACTOR].
dump() { xwd -root -silent >"$dir/$1.xwd" || fail "xwd could not dump the screen"; }
crop() { "$topng" "$dir/$1.xwd" "$6" "$2" "$3" "$4" "$5" ${7:-} || fail "no picture $6"; }
# Until two dumps in a row show the tip alike (its last pixels have reached
# the server).
tip_drawn() {
    dump settled
    crop settled "$tx" "$ty" "$tw" "$th" "$dir/tip_now.png"
    cmp -s "$dir/tip_now.png" "$dir/tip_before.png" && return 0
    mv "$dir/tip_now.png" "$dir/tip_before.png"
    return 1
}
# Rests the pointer on the name of row $1 (the column "Name" spans 150
# pixels around x = 250 of the wizard); the pointer in $px $py.
rest_on_name() {
    px=$((wx + 250)) py=$((wy + 126 + $1 * 18))
    xdotool mousemove "$px" "$py" || fail "xdotool could not move the pointer"
}
expect_focus_on_wizard() {
    focus=$(xdotool getwindowfocus 2>/dev/null)
    [ "$focus" = "$wizard" ] || fail "$1: the keyboard focus is on $focus, not on the wizard $wizard"
    if [ "$manager" = openbox ]; then
        active=$(xdotool getactivewindow 2>/dev/null)
        [ "$active" = "$wizard" ] || fail "$1: the active window is $active, not the wizard $wizard"
    fi
}

open_package_page
sleep 0.3
type_text "$dir/update.zpk"
press Return
within 50 shown_page Discover || fail "a valid package did not lead to the second page"
within 100 lines_at_least '^device list filled' 1 || fail "the list was not filled after the search"
for device in "$D1" "$D2" "$D3"; do
    [ -n "$(row_of "$device")" ] || fail "no row for $device: $(grep '^device row' "$dir/err")"
done
grep -qF "|$markup_name|" "$dir/err" || fail "the mark-up name did not reach the list as it was sent"
# The pointer away from the list; the screen as it is without a tip.
xdotool mousemove "$((wx + 390))" "$((wy + 340))"
sleep 0.3
no_tip || fail "a tip shows before the pointer came to the list"
dump before
expect_focus_on_wizard "before any tip"

# The long name: the tip after the show delay (500 ms), above the pointer.
asked=$(now_ms)
rest_on_name "$(row_of "$D1")"
within 30 find_tip || fail "no tip within 3 s over the name that does not fit"
delay=$(($(now_ms) - asked))
[ "$delay" -ge 500 ] || fail "the tip showed $delay ms after the pointer came, before the show delay of 500 ms"
shadow=6
[ "$tx" -eq "$px" ] && [ "$((ty + th - shadow))" -eq "$py" ] ||
    fail "the tip at ($tx, $ty) size ${tw}x$th does not have its lower left corner at the pointer ($px, $py)"
[ "$((tw - shadow))" -gt 150 ] || fail "the tip, $((tw - shadow)) pixels wide, is not wider than the name's column"
plain_height=$((th - shadow))
within 20 tip_drawn || fail "the tip's pixels did not settle"
expect_focus_on_wizard "the tip over the long name"
photograph "$wizard" tip_long_name.png
crop settled "$((tx - 8))" "$((ty - 8))" "$((tw + 16))" "$((th + 16))" "$artefacts/tip_long_name_enlarged.png" 4
echo "picture: $artefacts/tip_long_name_enlarged.png"
# Outside the shape, the corners of the window that the shadow leaves out:
# what lay beneath. Inside, the tip.
for corner in "$((tx + tw - shadow)) $ty" "$tx $((ty + th - shadow))"; do
    set -- $corner
    crop before "$1" "$2" "$shadow" "$shadow" "$dir/corner_before.png"
    crop settled "$1" "$2" "$shadow" "$shadow" "$dir/corner_tip.png"
    cmp -s "$dir/corner_before.png" "$dir/corner_tip.png" ||
        fail "the corner at ($1, $2) outside the tip's shape does not show what lay beneath"
done
crop before "$tx" "$ty" "$((tw - shadow))" "$((th - shadow))" "$dir/body_before.png"
crop settled "$tx" "$ty" "$((tw - shadow))" "$((th - shadow))" "$dir/body_tip.png"
cmp -s "$dir/body_before.png" "$dir/body_tip.png" && fail "the tip's window shows nothing of the tip"

# On to the name that fits: the tip goes at once and does not come back.
rest_on_name "$(row_of "$D2")"
within 10 no_tip || fail "the tip stayed over a name that fits"
sleep 0.8
no_tip || fail "a tip came over a name that fits"

# The mark-up name: its own text, on one line.
rest_on_name "$(row_of "$D3")"
within 30 find_tip || fail "no tip over the mark-up name"
shown_at=$(now_ms)
[ "$((th - shadow))" -eq "$plain_height" ] ||
    fail "the mark-up name's tip is $((th - shadow)) pixels high, not one line of text ($plain_height) as a plain name's"
[ "$((tw - shadow))" -gt 150 ] || fail "the mark-up name's tip, $((tw - shadow)) pixels wide, is not its whole text"
within 20 tip_drawn || fail "the tip's pixels did not settle"
expect_focus_on_wizard "the tip over the mark-up name"
photograph "$wizard" tip_markup_name.png

# The pointer leaves the list: the tip goes when its 5 s are up.
xdotool mousemove "$((wx + 390))" "$((wy + 340))"
within 80 no_tip || fail "the tip stayed after its time was up"
shown_for=$(($(now_ms) - shown_at))
[ "$shown_for" -ge 4000 ] || fail "the tip went $shown_for ms after it showed, with the pointer still off the list"
expect_focus_on_wizard "after the tips"

press Escape
wait_for_end
[ -n "$status" ] || fail "the program did not end on Escape"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS ($manager): the whole long name in a tip after $delay ms, above the pointer, its corners showing the list beneath, the focus left on the wizard, gone over a fitting name, mark-up shown as text, gone after $shown_for ms off the list ($(($(date +%s) - started)) s)"
exit 0
