#!/usr/bin/env bash
# Real mouse clicks on a real notification area: a Wine desktop's taskbar, from the X side.
# Usage: tray_clicks.sh TRAYLNCH_EXE MARKER_EXE ARTIFACT_DIR
set -u
exe=$1 marker=$2 artifacts=$3
# In the build folder, which a 32-bit Wine in its own root sees too, unlike the host's /tmp.
mkdir -p "$artifacts"
work=$(mktemp -d "$artifacts/clicks.XXXXXX")
failures=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
source "$(dirname "$0")/../../scripts/wine-helpers.sh"

# A prefix of its own, all of whose programs run in the desktop with the taskbar: the other
# tests' programs stay out of it, and traylnch is still this script's child, with a real
# exit status to wait for.
use_wine "${TRAYLNCH_WINE_ROOT:-}"
export WINEPREFIX=$work/prefix
trap '"${wineserver[@]}" -k >/dev/null 2>&1; rm -rf "$work"' EXIT
"${wine[@]}" wineboot --init >/dev/null 2>&1 </dev/null
use_taskbar_desktop

# A pure red icon makes our icon easy to find among any others in the tray.
convert -size 16x16 xc:'#ff0000' "$work/red.ico"

ended() { ! kill -0 "$pid" 2>/dev/null; }

# Waits for the program to end (killing it if it does not) and checks its status.
check_ended_with_zero() {
    retry 100 ended || kill -9 "$pid"
    wait "$pid"
    local status=$?
    check "$1: exit status 0 (was $status)" "[ $status = 0 ]"
}

export TRAYLNCH_MARKER_DIR="$(winpath "$work")"
"${wine[@]}" "$exe" "$(winpath "$marker")%clicked by xdotool" 0 "$(winpath "$work/red.ico")" "-dReal clicks" &
pid=$!

position=""
check "the icon from the icon file shows in the tray" "retry 150 locate_icon '#ff0000'"
if [ -n "$position" ]; then
    click_icon 1
    launched() { ls "$work"/launch-*.txt >/dev/null 2>&1; }
    check "a real left click launches the target" "retry 100 launched"
    check "the target got its parameters" "grep -qx 'xdotool' $work/launch-*.txt"

    click_icon --repeat 2 --delay 80 3
    check "a real right double-click ends the program" "retry 100 ended"
fi
check_ended_with_zero "real clicks"

# Without a usable icon the built-in question mark shows (its 32x32 image, scaled by the
# tray). A document has no icon of its own; the trace table covers unusable icon files.
echo "just text" >"$work/notes.txt"
"${wine[@]}" "$exe" "$(winpath "$work/notes.txt")" -dBuilt-in &
pid=$!
position=""
check "document: the built-in icon shows" "retry 150 locate_icon '#000000'"
import -window "$(taskbar_desktop_window)" "$artifacts/tray-builtin.png" 2>/dev/null
[ -z "$position" ] || click_icon --repeat 2 --delay 80 3
check_ended_with_zero "document"

echo "$failures failed"
exit $((failures > 0))
