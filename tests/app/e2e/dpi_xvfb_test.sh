#!/bin/sh
# The wizard on a screen of 96 and of 192 dots per inch, as a desktop
# publishes it: Xvfb with -dpi and "Xft.dpi" merged into the X resources.
# The real program runs inside the private network of
# tests/net/private_network.sh through all three pages (package, devices,
# update of two stand-in devices to Finish) at each resolution; it must say
# that it took the resolution from Xft.dpi, and at 192 dpi the wizard and its
# open-file dialog must be at least 1.8 times as wide and as tall as at 96. Pictures of every page at
# both resolutions stay in the artefact folder (dpi_96/, dpi_192/) to be
# looked at. Every wait is bounded; exit code 77 (skipped) where Xvfb,
# xdotool, xwd or xrdb is missing or when not run inside the private network.
#
#   private_network.sh run --devices 2 -- \
#       dpi_xvfb_test.sh PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER
program=$1 maker=$2 topng=$3 standin=$4 artefacts=$5
if [ ! -x "$program" ] || [ ! -x "$maker" ] || [ ! -x "$topng" ] || [ ! -x "$standin" ] || [ -z "$artefacts" ]; then
    echo "usage: $0 PROGRAM PACKAGE_MAKER XWD_TO_PNG STANDIN ARTEFACT_FOLDER" >&2
    exit 2
fi
. "$(dirname "$0")/../../xvfb_session.sh"
. "$(dirname "$0")/program_session.sh"
need_tools "running the program on X at two resolutions" Xvfb xdotool xwd xrdb timeout ip
need_private_network
open_program_session dpi_xvfb dpi_failed.png
top_artefacts=$artefacts

D1=$(dev 1) D2=$(dev 2)
sections="--section 0x0401,1,02.1.0,60000"
# shellcheck disable=SC2086
"$maker" -o "$dir/encoder_v2.1.0.zpk" --device-type 4 $sections >/dev/null || fail "no package made"
cat >"$dir/broadcast.devices" <<EOF
$D1 type=4 version=2.0.3 name=Encoder-1 status=Streaming
$D2 type=4 version=2.0.3 name=Encoder-2 status=Idle
EOF
start_standin broadcast --listen-broadcast
# Settings of a fresh installation at each resolution (the lists keep their
# column widths), with one second per search.
fresh_settings() {
    rm -rf "$dir/config"
    mkdir -p "$dir/config"
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brisel\\BriselTrelwin]\n"DiscoverDevicesTimeout"="1"\n' \
        >"$dir/config/HKEY_CURRENT_USER.reg"
}

# Points of the wizard given as they are at 96 dpi, where its pages' dialog
# units are 1.5 pixels and the page starts at (14, 88): the whole wizard
# scales with its dialog units, so they are scaled by its size at 96 dpi
# (778 x 521) against its size now.
scaled_x() { echo "$(($1 * WIZARD_WIDTH / 778))"; }
scaled_y() { echo "$(($1 * WIZARD_HEIGHT / 521))"; }
click_at() {
    xdotool mousemove "$((wx + $(scaled_x "$1")))" "$((wy + $(scaled_y "$2")))" click 1 || fail "xdotool could not click"
    sleep 0.2
}
find_dialog() { dialog=$(find_named '^Open$'); [ -n "$dialog" ]; }
no_dialog() { ! find_dialog; }
last_mean() { grep '^update mean ' "$dir/err" | tail -n 1 | sed 's/^update mean //'; }
mean_is_100() { [ "$(last_mean)" = 100 ]; }

# The three pages at one resolution; the wizard's size in $width_<dpi> and
# $height_<dpi>.
run_at() {
    dpi=$1
    artefacts="$top_artefacts/dpi_$dpi"
    mkdir -p "$artefacts"
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    start_xvfb 2560x1600 -dpi "$dpi"
    echo "Xft.dpi: $dpi" | xrdb -nocpp -merge || fail "xrdb could not merge Xft.dpi"
    fresh_settings
    start_program 60 "$program"
    open_package_page
    eval "$(xdotool getwindowgeometry --shell "$wizard")"
    WIZARD_WIDTH=$WIDTH WIZARD_HEIGHT=$HEIGHT
    eval "width_$dpi=$WIDTH height_$dpi=$HEIGHT"
    grep -q "^screen resolution $dpi dpi (Xft.dpi)\$" "$dir/err" ||
        fail "the program did not take $dpi dpi from Xft.dpi: $(grep '^screen resolution' "$dir/err")"
    # Browse: the open-file dialog at this resolution, then back.
    click_at 708 113
    within 50 find_dialog || fail "Browse showed no open-file dialog at $dpi dpi"
    sleep 0.3
    photograph "$dialog" page1_browse.png
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    eval "browse_width_$dpi=$WIDTH browse_height_$dpi=$HEIGHT"
    press Escape
    within 50 no_dialog || fail "Escape did not close the open-file dialog at $dpi dpi"
    focus_wizard
    click_at 300 113  # the package's path
    type_text "$dir/encoder_v2.1.0.zpk"
    sleep 0.2
    photograph "$wizard" page1_package.png
    press Return

    within 50 shown_page Discover || fail "the package did not lead to the second page at $dpi dpi"
    within 100 lines_at_least '^device list filled' 1 || fail "the list was not filled at $dpi dpi"
    within 50 lines_at_least '^device row 1:' 1 || fail "fewer than two devices listed at $dpi dpi"
    click_at 70 357  # Select All
    sleep 0.3
    photograph "$wizard" page2_devices.png
    click_at 640 496  # Next
    within 50 find_box || fail "no warning for Next at $dpi dpi"
    photograph "$box" page2_warning.png
    press Return

    within 50 shown_page Progress || fail "OK of the warning did not lead to the progress page at $dpi dpi"
    within 300 mean_is_100 || fail "the update did not reach 100 % at $dpi dpi (last: $(last_mean))"
    sleep 1.2
    photograph "$wizard" page3_done.png
    click_at 640 496  # Finish
    wait_for_end
    [ "$status" = 0 ] || fail "Finish did not end the program with 0 at $dpi dpi (status '$status')"
    [ -z "$(x_errors)" ] || fail "the X server reported errors for the program's requests: $(x_errors)"
}

started=$(date +%s)
run_at 96
run_at 192
# shellcheck disable=SC2154
[ $((width_192 * 10)) -ge $((width_96 * 18)) ] && [ $((height_192 * 10)) -ge $((height_96 * 18)) ] ||
    fail "at 192 dpi the wizard is ${width_192} x ${height_192}, at 96 ${width_96} x ${height_96}: not 1.8 times"
# shellcheck disable=SC2154
[ $((browse_width_192 * 10)) -ge $((browse_width_96 * 18)) ] && [ $((browse_height_192 * 10)) -ge $((browse_height_96 * 18)) ] ||
    fail "at 192 dpi the open-file dialog is ${browse_width_192} x ${browse_height_192}, at 96 ${browse_width_96} x ${browse_height_96}"
echo "PASS: the wizard is ${width_96} x ${height_96} at 96 dpi and ${width_192} x ${height_192} at 192 dpi, all three pages to Finish at both ($(($(date +%s) - started)) s)"
exit 0
