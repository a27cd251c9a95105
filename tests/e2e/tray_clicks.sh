#!/usr/bin/env bash
# Real mouse clicks on the real notification area: Wine's tray window on the X display.
# Usage: tray_clicks.sh WINE TRAYLNCH_EXE MARKER_EXE ARTIFACT_DIR
set -u
wine=$1
exe=$2
marker=$3
artifacts=$4
# In the build folder, which a 32-bit Wine in its own root sees too, unlike the host's /tmp.
mkdir -p "$artifacts"
work=$(mktemp -d "$artifacts/clicks.XXXXXX")
failures=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
source "$(dirname "$0")/../../scripts/wine-helpers.sh"

# A pure red icon makes our icon easy to find among any others in the tray.
convert -size 16x16 xc:'#ff0000' "$work/red.ico"

tray_window() { xdotool search --onlyvisible --name 'Wine System Tray' 2>/dev/null | head -n 1; }

# Prints the tray-relative centre of the first pixel run of the colour, or nothing.
find_colour() {
    local window=$1 colour=$2
    import -window "$window" "$work/tray.png" 2>/dev/null || return
    convert "$work/tray.png" -alpha off -fill '#01fe02' -opaque "$colour" -fill black +opaque '#01fe02' \
        -fill white -opaque '#01fe02' -format '%@' info: 2>/dev/null | awk -F'[x+]' '$1 > 2 { print int($3 + $1 / 2), int($4 + $2 / 2) }'
}

ended() { ! kill -0 "$pid" 2>/dev/null; }

# Finds the icon by a colour of its picture: sets window and position.
locate() {
    window=$(tray_window) && [ -n "$window" ] && position=$(find_colour "$window" "$1") && [ -n "$position" ]
}

right_double_click() {
    read -r x y <<<"$position"
    xdotool mousemove --window "$window" "$x" "$y" click --repeat 2 --delay 80 3
}

# Waits for the program to end (killing it if it does not) and checks its status.
check_ended_with_zero() {
    retry 100 ended || kill -9 "$pid"
    wait "$pid"
    local status=$?
    check "$1: exit status 0 (was $status)" "[ $status = 0 ]"
}

export TRAYLNCH_MARKER_DIR
TRAYLNCH_MARKER_DIR=$(winpath "$work")
"$wine" "$exe" "$(winpath "$marker")%clicked by xdotool" 0 "$(winpath "$work/red.ico")" "-dReal clicks" &
pid=$!

position=""
check "the icon from the icon file shows in the tray" "retry 150 locate '#ff0000'"
if [ -n "$position" ]; then
    read -r x y <<<"$position"
    xdotool mousemove --window "$window" "$x" "$y" click 1
    launched() { ls "$work"/launch-*.txt >/dev/null 2>&1; }
    check "a real left click launches the target" "retry 100 launched"
    check "the target got its parameters" "grep -qx 'xdotool' $work/launch-*.txt"

    right_double_click
    check "a real right double-click ends the program" "retry 100 ended"
fi
check_ended_with_zero "real clicks"

# Without a usable icon the built-in question mark shows (its 32x32 image, scaled by the
# tray). A document has no icon of its own; the trace table covers unusable icon files.
echo "just text" >"$work/notes.txt"
"$wine" "$exe" "$(winpath "$work/notes.txt")" -dBuilt-in &
pid=$!
position=""
check "document: the built-in icon shows" "retry 150 locate '#000000'"
import -window "$(tray_window)" "$artifacts/tray-builtin.png" 2>/dev/null
[ -z "$position" ] || right_double_click
check_ended_with_zero "document"

rm -rf "$work"
echo "$failures failed"
exit $((failures > 0))
