#!/usr/bin/env bash
# Real mouse clicks on a real notification area: a Wine desktop's taskbar, from the X side.
# Usage (inside scripts/wine-session): tray_clicks.sh TRAYLNCH_EXE MARKER_EXE ARTIFACT_DIR
set -u
exe=$1 marker=$2 artifacts=$3
# In the session's fresh prefix, which a Wine in its own root sees too, unlike the host's /tmp.
work=$WINEPREFIX/drive_c/clicks
mkdir -p "$work" "$artifacts"
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }
source "$(dirname "$0")/../../scripts/wine-helpers.sh"

# A prefix of its own (scripts/wine-session), all of whose programs run in the desktop with
# the taskbar, so that traylnch is still this script's child, with a real exit status.
use_taskbar_desktop

# A pure red icon makes our icon easy to find among any others in the tray.
convert -size 16x16 xc:'#ff0000' "$work/red.ico"

export TRAYLNCH_MARKER_DIR="$(winpath "$work")"
start_traylnch "$exe" "$(winpath "$marker")%clicked by xdotool" 0 "$(winpath "$work/red.ico")" "-dReal clicks"
check "the icon from the icon file shows in the tray" "retry 150 locate_icon '#ff0000'"
if [ -n "$position" ]; then
    click_icon 1
    launched() { ls "$work"/launch-*.txt >/dev/null 2>&1; }
    check "a real left click launches the target" "retry 100 launched"
    check "the target got its parameters" "grep -qx 'xdotool' $work/launch-*.txt"
fi
end_traylnch
check "a real right double-click ends the program" "[ $status != 137 ]"
check "real clicks: exit status 0 (was $status)" "[ $status = 0 ]"

# Without a usable icon the built-in question mark shows (its 32x32 image, scaled by the
# tray). A document has no icon of its own; the trace table covers unusable icon files.
echo "just text" >"$work/notes.txt"
start_traylnch "$exe" "$(winpath "$work/notes.txt")" -dBuilt-in
check "document: the built-in icon shows" "retry 150 locate_icon '#000000'"
import -window "$(taskbar_desktop_window)" "$artifacts/tray-builtin.png" 2>/dev/null
end_traylnch
check "document: exit status 0 (was $status)" "[ $status = 0 ]"

echo "$failures failed"
exit $((failures > 0))
