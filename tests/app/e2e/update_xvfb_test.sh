#!/bin/sh
# The whole wizard as a person uses it: the real program on Xvfb, inside the
# private network of tests/net/private_network.sh, updates stand-in devices
# of one family. Page 1 takes a package made by the package maker; page 2
# lists the three devices that answer the search, a fourth is added at its
# typed address on another port, all are ticked and the warning is accepted;
# page 3 updates the four at once. Three end "Firmware Update Done
# Successfully!!!", the one that fails its record phase shows its error, the
# mean reaches 100 % and Finish is offered. Every device that recorded holds
# the package's plain container byte for byte (the stand-ins write what they
# record to files).
#
# MODE window: the devices load in windows; Back at the end returns to page
# 2, whose Back is tried while page 3 runs (it is not offered); Next runs a
# second pass, and Cancel during it ends the program at once, with status 0.
# MODE plain: the devices load block by block; Escape at the end changes
# nothing (Cancel is disabled then); Finish ends the program with status 0.
#
# Pictures of every page (page 3 during the update and at its end) stay in
# the artefact folder. Every wait is bounded; exit code 77 (skipped) where
# Xvfb, xdotool or xwd is missing or when not run inside the private network.
#
#   private_network.sh run --devices 4 -- \
#       update_xvfb_test.sh PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER window|plain
program=$1 maker=$2 topng=$3 standin=$4 artefacts=$5 mode=$6
if [ ! -x "$program" ] || [ ! -x "$maker" ] || [ ! -x "$topng" ] || [ ! -x "$standin" ] || [ -z "$artefacts" ] ||
    { [ "$mode" != window ] && [ "$mode" != plain ]; }; then
    echo "usage: $0 PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER window|plain" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
. "$(dirname "$0")/program_session.sh"
need_tools "running the program on X" Xvfb xdotool xwd timeout ip cmp
need_private_network
open_program_session update_xvfb failed.png
artefacts="$artefacts/update_$mode"
mkdir -p "$artefacts" "$dir/recorded"

D1=$(dev 1) D2=$(dev 2) D3=$(dev 3) D4=$(dev 4)

# The package: a K-Tressel encoder's (device type 4, family 2), which goes
# whole to every device of the family; its plain container is what each
# device must record.
sections="--section 0x0401,1,02.1.0,400000 --section 0x0402,7,02.1.0,150000"
# shellcheck disable=SC2086
"$maker" -o "$dir/ktressel_encoder_v2.1.0.zpk" --device-type 4 $sections >/dev/null || fail "no package made"
# shellcheck disable=SC2086
"$maker" --plain -o "$dir/expected.bin" --device-type 4 $sections >/dev/null || fail "no plain container made"

# Stand-ins in the device namespace. Every device records in ten steps a
# fifth of a second apart, so that the page is seen while it works.
each="load=$mode record-steps=10 record-pace=200 dump=$dir/recorded"
cat >"$dir/broadcast.devices" <<EOF
$D1 type=4 version=2.0.3 name=Encoder-1 status=Streaming $each
$D2 type=3 version=1.9.0 name=Output-2 status=Idle $each
$D3 type=4 version=2.0.3 name=Encoder-3 status=Streaming record-error=7 $each
EOF
echo "$D4 type=4 version=2.0.1 name=Encoder-4 status=Idle $each" >"$dir/port.devices"
start_standin broadcast --listen-broadcast
start_standin port --port 50100

start_xvfb 1024x768
# Short searches, and the protocol's time-outs short enough that nothing
# waits long.
mkdir -p "$dir/config"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n"DiscoverDevicesTimeout"="1"\n"DiscoverManualDevicesTimeout"="2"\n"UpgradePacketTimeout"="2000"\n"UpgradeResetTimeout"="5000"\n"RecordPacketTimeout2"="5000"\n' \
    >"$dir/config/HKEY_CURRENT_USER.reg"
start_program 170 "$program"

click_button() {
    case "$1" in
        all) click_dlu 37 181 ;;
        address) click_dlu 117 201 ;;
        add) click_dlu 261 201 ;;
        back) click_at 565 496 ;;
        next | finish) click_at 640 496 ;;
        cancel) click_at 725 496 ;;
    esac
}
# The last status the page showed for a device, from its debug output.
status_of() { grep "^update status $1: " "$dir/err" | tail -n 1 | sed "s/^update status $1: //"; }
last_mean() { grep '^update mean ' "$dir/err" | tail -n 1 | sed 's/^update mean //'; }
# Lines of pass $1 only: those after its page was shown.
pass_lines() { awk -v pass="$1" '/^wizard page Progress shown$/ { n++ } n == pass' "$dir/err"; }
pass_mean_is() { [ "$(pass_lines "$1" | grep '^update mean ' | tail -n 1)" = "update mean $2" ]; }
statuses_final() {
    for device in "$D1" "$D2" "$D3" "$D4:50100"; do
        case "$(status_of "$device")" in
            "Firmware Update Done Successfully!!!" | "ERROR "*) ;;
            *) return 1 ;;
        esac
    done
}
recording_seen() { pass_lines "$1" | grep -q '^update status .*: Recording [0-9]'; }
now_ms() { date +%s%3N; }
started=$(date +%s)

# Page 1: the package.
open_package_page
sleep 0.3
type_text "$dir/ktressel_encoder_v2.1.0.zpk"
sleep 0.2
photograph "$wizard" page1_package.png
press Return

# Page 2: the three devices of the search, then the typed one; all ticked.
within 50 shown_page Discover || fail "the package did not lead to the second page"
within 100 lines_at_least '^device list filled' 1 || fail "the list was not filled after the search"
click_button address
type_text "$D4:50100"
click_button add
within 100 lines_at_least '^discovery run ended' 2 || fail "Add Device made no search"
within 50 lines_at_least '^device list filled' 2 || fail "the list was not filled after Add Device"
click_button all
sleep 0.3
photograph "$wizard" page2_devices.png
click_button next
within 50 find_box || fail "no warning for Next with ticked devices"
photograph "$box" page2_warning.png
press Return

# Page 3: the four devices updated at once.
within 50 shown_page Progress || fail "OK of the warning did not lead to the progress page"
handed=$(grep '^device to update: ' "$dir/err" | sed 's/^device to update: //' | sort | tr '\n' ' ')
expected_handed=$(printf '%s\n' "$D1" "$D2" "$D3" "$D4:50100" | sort | tr '\n' ' ')
[ "$handed" = "$expected_handed" ] || fail "the devices handed on are $handed, not $expected_handed"
within 150 recording_seen 1 || fail "no device came to its record phase"
# Back is not offered while the devices record (two seconds each).
if [ "$mode" = window ]; then
    pass_mean_is 1 100 && fail "the devices ended before they could be seen at work"
    click_button back
    sleep 0.3
    [ "$(count_lines '^wizard page Discover shown$')" -gt 1 ] &&
        fail "Back left the progress page while the devices were updated"
fi
photograph "$wizard" page3_updating.png
within 300 pass_mean_is 1 100 || fail "the mean did not reach 100 % (last: $(last_mean))"
within 50 statuses_final || fail "not every device showed its last status"
for device in "$D1" "$D2" "$D4:50100"; do
    [ "$(status_of "$device")" = "Firmware Update Done Successfully!!!" ] ||
        fail "$device shows '$(status_of "$device")' at the end"
done
[ "$(status_of "$D3")" = "ERROR UPDATING DEVICE. CODE 7" ] || fail "$D3 shows '$(status_of "$D3")' at the end"
sleep 1.2
photograph "$wizard" page3_done.png

# What each device recorded, byte for byte.
for device in "$D1" "$D2" "$D4"; do
    [ -f "$dir/recorded/$device-1.bin" ] || fail "$device recorded nothing"
    cmp -s "$dir/recorded/$device-1.bin" "$dir/expected.bin" ||
        fail "$device recorded $(wc -c <"$dir/recorded/$device-1.bin") bytes that differ from the package's plain container"
done
[ -e "$dir/recorded/$D3-1.bin" ] && fail "$D3 kept an image although its record phase failed"

if [ "$mode" = plain ]; then
    # The end disabled Cancel, and with it Escape.
    press Escape
    sleep 0.5
    kill -0 "$shown" 2>/dev/null || fail "Escape ended the program after the update, where Cancel is disabled"
    click_button finish
    wait_for_end
    [ -n "$status" ] || fail "the program did not end on Finish"
    [ "$status" -eq 0 ] || fail "the program ended with status $status on Finish"
    [ -z "$(x_errors)" ] || fail "the X server reported errors for the program's requests: $(x_errors)"
    echo "PASS ($mode): four devices updated at once from page 1 to Finish, the failed one with its error, every image recorded as the package holds it, Escape at the end ignored, no X error ($(($(date +%s) - started)) s)"
    exit 0
fi

# Window mode: Back at the end returns to page 2, Next runs a second pass,
# and Cancel while it runs ends the program.
click_button back
within 50 lines_at_least '^wizard page Discover shown$' 2 || fail "Back at the end did not return to the second page"
within 100 lines_at_least '^device list filled' 3 || fail "the list was not filled again"
click_button all
click_button next
within 50 find_box || fail "no warning for Next the second time"
press Return
within 50 lines_at_least '^wizard page Progress shown$' 2 || fail "the second pass did not start"
within 150 recording_seen 2 || fail "no device came to its record phase in the second pass"
photograph "$wizard" page3_second_pass.png
# The time from the click to the program's end, to a fiftieth of a second.
xdotool mousemove "$((wx + 725))" "$((wy + 496))" || fail "xdotool could not move"
pressed=$(now_ms)
xdotool click 1 || fail "xdotool could not click"
for i in $(seq 1 250); do
    kill -0 "$shown" 2>/dev/null || break
    sleep 0.02
done
ended=$(now_ms)
wait_for_end
[ -n "$status" ] || fail "the program did not end on Cancel during the update"
[ "$status" -eq 0 ] || fail "the program ended with status $status on Cancel"
grep -q '^Exception' "$dir/out" && fail "a worker caught an exception: $(cat "$dir/out")"
[ -z "$(x_errors)" ] || fail "the X server reported errors for the program's requests: $(x_errors)"
echo "Cancel during the second pass: the program ended $((ended - pressed)) ms after the click"
echo "PASS ($mode): four devices updated at once, the failed one with its error, every image recorded as the package holds it, Back offered only at the end, a second pass after Back, Cancel during it ended the program with 0, no X error ($(($(date +%s) - started)) s)"
exit 0
