#!/bin/sh
# The real program on Xvfb choosing devices on its Discover page, inside the
# private network of tests/net/private_network.sh, with stand-in devices in
# the device namespace: some answering broadcasts (of the package's family,
# one of them silent after discovery, one of a foreign family, and the one
# handed on silent in the update, so that the progress page can be
# cancelled), one reached only at its typed address, one only at a typed
# address on another port.
# Driven with xdotool; the page's rows are read from the program's debug
# output, and the pictures of the page stay in the artefact folder. The
# cursor that the X server shows is read with X_CURSOR: the wait cursor
# during a search, the one of the pointer's window after it. Every
# wait is bounded; exit code 77 (skipped) where Xvfb, xdotool or xwd is
# missing or when not run inside the private network.
#
#   private_network.sh run --devices 12 -- \
#       discover_xvfb_test.sh PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER X_CURSOR
program=$1 maker=$2 topng=$3 standin=$4 artefacts=$5 cursor=$6
if [ ! -x "$program" ] || [ ! -x "$maker" ] || [ ! -x "$topng" ] || [ ! -x "$standin" ] || [ -z "$artefacts" ] ||
    [ ! -x "$cursor" ]; then
    echo "usage: $0 PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER X_CURSOR" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
. "$(dirname "$0")/program_session.sh"
need_tools "running the program on X" Xvfb xdotool xwd timeout ip
need_private_network
open_program_session discover_xvfb discover_failed.png
mkdir -p "$artefacts"

D1=$(dev 1) D2=$(dev 2) D3=$(dev 3) D4=$(dev 4) D5=$(dev 5) D6=$(dev 6) D10=$(dev 10)

# Stand-ins in the device namespace.
cat >"$dir/broadcast.devices" <<EOF
$D1 type=23 version=6.8.0 name=Enc-1 status=Connected
$D2 type=26 version=7.0.1 name="Encoder two" status=Idle update-silent=yes
$D3 type=34 version=2.0 name=Dec-3 status="No signal"
$D4 type=24 version=1.1 name=Silent version-reply=no settings-reply=no
$D5 type=2 version=1.2.3 name=Foreign status=Up
EOF
echo "$D10 type=30 version=3.3 name=Typed-10 status=Linked" >"$dir/unicast.devices"
echo "$D6 type=32 version=4.4 name=Typed-6 status=Port" >"$dir/port.devices"
start_standin broadcast --listen-broadcast
start_standin unicast
start_standin port --port 50100

start_xvfb 1024x768
"$maker" -o "$dir/update.zpk" --device-type 23 --section 0x0A0D,1,02.5.6,4096 >/dev/null || fail "no package made"

# Short runs: one second per search, two for typed addresses.
mkdir -p "$dir/config"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n"DiscoverDevicesTimeout"="1"\n"DiscoverManualDevicesTimeout"="2"\n' \
    >"$dir/config/HKEY_CURRENT_USER.reg"
start_program 100 "$program"

# A row's image and its text (rows of 18 pixels below the list's header).
click_row_image() { click_at 34 "$((126 + $1 * 18))"; }
click_row_text() { click_at 300 "$((126 + $1 * 18))"; }
click_button() {
    case "$1" in
        add) click_dlu 261 201 ;;
        none) click_dlu 101 181 ;;
        next) click_at 640 496 ;;
        cancel) click_at 725 496 ;;
    esac
}
# The rows of the last refill of the list, as "address|name|type|version|status|image N",
# sorted: the devices come in the order their answers arrive.
last_rows() {
    awk '/^device row 0:/ { n = 0; delete rows } /^device row [0-9]*:/ { sub(/^device row [0-9]*: /, ""); rows[n++] = $0 }
         END { for (i = 0; i < n; i++) print rows[i] }' "$dir/err" | sort
}
expect_rows() {
    printf '%s\n' "$@" | sort >"$dir/expected"
    last_rows >"$dir/actual"
    cmp -s "$dir/expected" "$dir/actual" ||
        fail "$(printf 'the list shows\n%s\ninstead of\n%s' "$(cat "$dir/actual")" "$(cat "$dir/expected")")"
}
started=$(date +%s)

open_package_page
sleep 0.5
type_text "$dir/update.zpk"
press Return

# The search on every interface lists the family's devices, the silent one
# not reachable, and not the device of another family.
within 50 shown_page Discover || fail "a valid package did not lead to the second page"
within 100 lines_at_least '^device list filled' 1 || fail "the list was not filled after the search"
expect_rows "$D1|Enc-1|Obrelon|6.8.0|Connected|image 0" \
    "$D2|Encoder two|ObrelonHD|7.0.1|Idle|image 0" \
    "$D3|Dec-3|ObrelonHD ST Decoder|2.0|No signal|image 0" \
    "$D4||Obrelon ST|||image 2"
sleep 0.3
photograph "$wizard" discover_found.png

# The silent device cannot be ticked, neither by its image nor by the space
# bar; the first one is ticked by its image.
click_row_image "$(row_of "$D4")"
click_row_text "$(row_of "$D4")"
press space
click_row_image "$(row_of "$D1")"

# Two typed addresses, one on another port: both listed and ticked; the
# tick of the first device survives the refill.
click_dlu 117 201
type_text "$D10;$D6:50100"
# The search of Add Device (two seconds) shows the wait cursor over the
# wizard, the hourglass with its hotspot at (7, 10); after it the arrow of
# the button under the pointer comes back, with its hotspot at its tip.
click_button add
shows_cursor() { [ "$("$cursor")" = "$1" ]; }
within 15 shows_cursor "32x32 7,10" || fail "no wait cursor during the search: the X server shows $("$cursor")"
lines_at_least '^discovery run ended' 2 && fail "the search ended before its wait cursor was seen"
within 100 lines_at_least '^discovery run ended' 2 || fail "Add Device made no search"
within 50 lines_at_least '^device list filled' 2 || fail "the list was not filled after Add Device"
within 10 shows_cursor "32x32 0,0" || fail "the arrow did not come back after the search: the X server shows $("$cursor")"
expect_rows "$D1|Enc-1|Obrelon|6.8.0|Connected|image 1" \
    "$D2|Encoder two|ObrelonHD|7.0.1|Idle|image 0" \
    "$D3|Dec-3|ObrelonHD ST Decoder|2.0|No signal|image 0" \
    "$D4||Obrelon ST|||image 2" \
    "$D10|Typed-10|Plexaro|3.3|Linked|image 1" \
    "$D6:50100|Typed-6|Obrelon TS MUX|4.4|Port|image 1"
grep -q "ListDeviceManualFlash\"=\"$D10;$D6:50100\"" "$dir/config/HKEY_CURRENT_USER.reg" ||
    fail "the typed addresses were not kept: $(cat "$dir/config/HKEY_CURRENT_USER.reg")"
sleep 0.3
photograph "$wizard" discover_typed.png

# Nothing ticked: Next gives the message and stays.
click_button none
click_button next
within 50 find_box || fail "no message for Next without a ticked device"
photograph "$box" discover_none_ticked.png
press Return
within 50 no_box || fail "the message did not close"
shown_page Progress && fail "Next without a ticked device left the page"

# Two ticked: the warning; Cancel stays. One unticked again; OK goes on
# with exactly the one still ticked.
click_row_image "$(row_of "$D2")"
click_row_image "$(row_of "$D10")"
click_button next
within 50 find_box || fail "no warning for Next with ticked devices"
photograph "$box" discover_warning.png
press Escape
within 50 no_box || fail "the warning did not close on Cancel"
sleep 0.3
shown_page Progress && fail "Cancel of the warning left the page"
click_row_image "$(row_of "$D10")"
sleep 0.3
photograph "$wizard" discover_before_next.png
click_button next
within 50 find_box || fail "no warning for Next the second time"
press Return
within 50 shown_page Progress || fail "OK of the warning did not lead to the progress page"
[ "$(grep '^device to update: ' "$dir/err")" = "device to update: $D2" ] ||
    fail "the devices handed on are not exactly the ticked one: $(grep '^device to update: ' "$dir/err")"

# Escape as soon as the page shows is its Cancel, enabled while the device
# is updated: the program ends, with 0.
press Escape
wait_for_end
[ -n "$status" ] || fail "the program did not end on Escape on the progress page"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ -z "$(x_errors)" ] || fail "the X server reported errors for the program's requests: $(x_errors)"
echo "PASS: the family's devices listed with their texts, the silent one red and not tickable, typed devices on two ports listed and ticked, ticks kept across a refill, the wait cursor during a search, the message and the warning, exactly the ticked device handed on, Escape on the progress page ended the program with 0, no X error ($(($(date +%s) - started)) s)"
exit 0
