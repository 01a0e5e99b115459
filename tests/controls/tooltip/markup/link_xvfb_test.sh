#!/bin/sh
# Tip links on a real X server: the link demo shown through SDL2 on Xvfb,
# the mouse moved over its links and off them and the links clicked with
# xdotool. The demo must report each change of the hovered link once, the
# hand cursor over links, the web link handed to the opener (a stand-in
# here) and the message link's text; pictures of the hovered and the idle
# line go to the artefact folder. Every wait is bounded; exit code 77
# (skipped) where Xvfb, xdotool or xwd is missing.
#
#   link_xvfb_test.sh DEMO XWD_TO_PNG ARTEFACTS
demo=$1 topng=$2 artefacts=$3
title='Trelwin tip links'
if [ ! -x "$demo" ] || [ ! -x "$topng" ] || [ -z "$artefacts" ]; then
    echo "usage: $0 DEMO XWD_TO_PNG ARTEFACTS" >&2
    exit 2
fi
. "$(dirname "$0")/../../../xvfb_session.sh"
need_tools "trying the tip links on X" Xvfb xdotool xwd timeout
open_session links_xvfb
start_xvfb 640x400
mkdir -p "$artefacts"

# The stand-in opener writes the address it was given.
cat >"$dir/opener" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$@" >"$dir/opened"
SCRIPT
chmod +x "$dir/opener"

start_shown 40 env TRELWIN_URL_OPENER="$dir/opener" "$demo"

has_line() { grep -q "^$1\$" "$dir/out"; }
count_lines() { grep -c "^$1\$" "$dir/out"; }
opened() { [ "$(cat "$dir/opened" 2>/dev/null)" = "$1" ]; }

within 100 has_line 'link 1 [0-9]* [0-9]*' || fail "the demo did not draw its links"
within 100 find_window "$title" || fail "no window titled '$title' on the X server"
eval "$(xdotool getwindowgeometry --shell "$window")"
set -- $(grep '^link 0 ' "$dir/out"); web_x=$((X + $3)) web_y=$((Y + $4))
set -- $(grep '^link 1 ' "$dir/out"); note_x=$((X + $3)) note_y=$((Y + $4))

xdotool mousemove $((X + 4)) $((Y + HEIGHT - 4)) || fail "xdotool could not move the mouse"
sleep 0.3
xdotool mousemove "$web_x" "$web_y"
within 50 has_line 'hover 0' || fail "moving over the web link was not noticed"
within 50 has_line 'hand 0' || fail "no hand cursor over the web link"
xdotool mousemove $((web_x + 2)) "$web_y"
sleep 0.3
photograph "$window" link_hovered.png
xdotool click 1
within 50 opened 'http://10.213.1.1/status' || fail "the click did not open the web link"

xdotool mousemove "$note_x" "$note_y"
within 50 has_line 'hover 1' || fail "moving over the message link was not noticed"
xdotool click 1
within 50 has_line 'message note' || fail "the click did not send the message link's text"

xdotool mousemove $((X + 4)) $((Y + HEIGHT - 4))
within 50 has_line 'hover -2' || fail "leaving the links was not noticed"
sleep 0.3
photograph "$window" link_idle.png
[ "$(count_lines 'hover 0')" -eq 1 ] || fail "moving within the web link notified again"

xdotool key --window "$window" Escape
wait "$shown"
status=$?
shown=
[ "$status" -eq 0 ] || fail "the demo exited with $status, not by Escape"
echo "PASS: hover, hand cursor, web link and message link worked on X"
exit 0
