# Shell helpers that the scripts share; sourced, not run.

# A host path as Wine sees it: the host's root is drive Z:.
winpath() { echo "Z:${1//\//\\}"; }

# Runs a command until it succeeds, at most TRIES times, 0.2 s apart.
retry() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

# Whether this machine executes 32-bit x86 code itself. Machines of one kind have differed
# here, so it is asked of the machine: a tiny 32-bit program exits with 42. An
# i386 emulator registered with the kernel would answer too, hence no such entry may exist.
runs_32bit_natively() {
    [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || return 1
    local elf
    elf=$(mktemp)
    python3 - "$elf" <<'PY'
import struct, sys
code = bytes([0xb8, 1, 0, 0, 0, 0xbb, 42, 0, 0, 0, 0xcd, 0x80])  # exit(42) through int 0x80
base = 0x8048000
header = b"\x7fELF" + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, 96, 96, 5, 0x1000)
open(sys.argv[1], "wb").write(header + segment + code)
PY
    chmod +x "$elf"
    "$elf" 2>/dev/null
    local status=$?
    rm -f "$elf"
    [ "$status" = 42 ]
}

# Asks the machine once per run and hands the answer on to the scripts that follow:
# TRAYLNCH_RUNS_32BIT is 1 where 32-bit code runs natively, 0 otherwise.
detect_32bit() {
    if [ -z "${TRAYLNCH_RUNS_32BIT:-}" ]; then
        TRAYLNCH_RUNS_32BIT=0
        runs_32bit_natively && TRAYLNCH_RUNS_32BIT=1
    fi
    export TRAYLNCH_RUNS_32BIT
}

# The commands that run a Windows program and the Wine server: the session's, of the root
# that scripts/wine-session names, or else the host's 64-bit Wine.
wine=("$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-run")
wineserver=(wineserver)
[ -z "${TRAYLNCH_WINE_ROOT:-}" ] || wineserver=(chroot "$TRAYLNCH_WINE_ROOT" /usr/lib/wine/wineserver)

# Makes every program of the current prefix run in a Wine desktop with a taskbar, whose
# notification area every Wine generation shows (only the desktop named "shell" has one).
use_taskbar_desktop() {
    "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
    "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 800x600 /f >/dev/null 2>&1
}
taskbar_desktop_window() { xdotool search --onlyvisible --name '^shell - Wine desktop$' 2>/dev/null | head -n 1; }

# Starts traylnch with ARGS as this shell's child (pid), so that its real exit status can be
# waited for; in a taskbar desktop (use_taskbar_desktop) its icon shows in the tray.
start_traylnch() {
    position=""
    "${wine[@]}" "$@" &
    pid=$!
}
running() { kill -0 "$pid" 2>/dev/null; }
# Ends it with a right double-click on its icon, by force if that does not end it (status 137):
# sets status.
end_traylnch() {
    [ -z "$position" ] || click_icon --repeat 2 --delay 80 3
    retry 100 eval '! running' || kill -9 "$pid"
    wait "$pid"
    status=$?
}

# Finds an icon in the notification area, the right end of the taskbar desktop: the pixels of
# COLOUR there, or without one, all that is neither the taskbar nor the desktop above it (the
# area's corners). Sets desktop and position, the centre of those pixels.
locate_icon() {
    local shot width height corners tray_area=48x24 others=(+opaque "${1:-}")
    desktop=$(taskbar_desktop_window) && [ -n "$desktop" ] && shot=$(mktemp --suffix=.png) || return 1
    import -window "$desktop" "$shot" 2>/dev/null && read -r width height < <(identify -format '%w %h\n' "$shot")
    local area=("$shot" -gravity SouthEast -crop "$tray_area+0+0" +repage -alpha off)
    if [ -z "${1:-}" ]; then
        read -r -a corners < <(convert "${area[@]}" -format '%[pixel:p{0,0}] %[pixel:p{47,23}]\n' info:)
        others=(-opaque "${corners[0]:-none}" -opaque "${corners[1]:-none}")
    fi
    position=$(convert "${area[@]}" -fill '#01fe02' "${others[@]}" -fill white +opaque '#01fe02' -fill black -opaque '#01fe02' \
        -format '%@' info: 2>/dev/null |
        awk -F'[x+]' -v dx=$((${width:-0} - ${tray_area%x*})) -v dy=$((${height:-0} - ${tray_area#*x})) \
            '$1 > 2 { print int(dx + $3 + $1 / 2), int(dy + $4 + $2 / 2) }')
    rm -f "$shot"
    [ -n "$position" ]
}
# Clicks the icon that locate_icon found: click_icon 1, or click_icon --repeat 2 --delay 80 3.
click_icon() {
    local x y
    read -r x y <<<"$position"
    xdotool mousemove --window "$desktop" "$x" "$y" click "$@"
}

# The tree whose Wine tests run here and the two generations of Wine, years apart, that run
# them: the 32-bit product under the 32-bit Wine of the host release's i386 root and of the
# next release's, or, where 32-bit code does not run, the 64-bit twin under the host's 64-bit
# Wine and the 64-bit Wine of the next release's amd64 root. Sets tree and roots (a root per
# generation, empty for the host's own Wine), and the first generation's session_option.
newer_release=trixie
choose_tree() {
    local out=$1
    detect_32bit
    if [ "$TRAYLNCH_RUNS_32BIT" = 1 ]; then
        tree=$out/win32
        roots=("$out/i386-root" "$out/i386-root-$newer_release")
    else
        tree=$out/win64
        roots=("" "$out/amd64-root-$newer_release")
    fi
    session_option=()
    [ -z "${roots[0]}" ] || session_option=(--root "${roots[0]}")
}
