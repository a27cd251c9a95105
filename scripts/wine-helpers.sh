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

# The commands that run a Windows program and the Wine server: the host's 64-bit Wine, or
# the Wine of ROOT when one is named.
use_wine() {
    wine=("$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-run")
    wineserver=(wineserver)
    [ -z "$1" ] || wineserver=(chroot "$1" /usr/lib/wine/wineserver)
}

# Makes every program of the current prefix run in a Wine desktop with a taskbar, whose
# notification area every Wine generation shows (only the desktop named "shell" has one).
use_taskbar_desktop() {
    "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
    "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 800x600 /f >/dev/null 2>&1
}
taskbar_desktop_window() { xdotool search --onlyvisible --name '^shell - Wine desktop$' 2>/dev/null | head -n 1; }

# Finds an icon in the notification area, the right end of the taskbar desktop, by a colour
# of its picture: sets desktop and position, the centre of that colour's pixels there.
locate_icon() {
    local shot width height tray_area=48x24
    desktop=$(taskbar_desktop_window) && [ -n "$desktop" ] && shot=$(mktemp --suffix=.png) || return 1
    import -window "$desktop" "$shot" 2>/dev/null && read -r width height < <(identify -format '%w %h\n' "$shot")
    position=$(convert "$shot" -gravity SouthEast -crop "$tray_area+0+0" +repage -alpha off -fill '#01fe02' \
        -opaque "$1" -fill black +opaque '#01fe02' -fill white -opaque '#01fe02' -format '%@' info: 2>/dev/null |
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
# generation, empty for the host's own Wine), and the first generation's session_option and wine.
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
    use_root "${roots[0]}"
}

# The session's option and the Wine commands for ROOT, or for the host's Wine without one.
use_root() {
    session_option=()
    [ -z "$1" ] || session_option=(--root "$1")
    use_wine "$1"
}

# The version that the Wine of ROOT (or the host's 64-bit Wine, without ROOT) reports, as "8.0".
wine_version() {
    local report loader=/usr/lib/wine/wine
    if [ -n "$1" ]; then
        [ -x "$1/usr/lib/wine/wine64" ] && loader=/usr/lib/wine/wine64
        # The loader finds itself through /proc, mounted for this one call in a namespace of its own.
        report=$(unshare --mount --propagation private sh -c \
            'mount -t proc proc "$0/proc" && exec chroot "$0" "$1" --version' "$1" "$loader")
    else
        report=$(/usr/lib/wine/wine64 --version)
    fi
    sed -E 's/^wine-([0-9.]+).*/\1/' <<<"$report"
}

# What runs the chosen tree, in the words the scripts print; once the Wine is installed.
describe_tree() {
    local version
    version=$(wine_version "${session_option[1]:-}")
    if [ "$TRAYLNCH_RUNS_32BIT" = 1 ]; then
        tree_description="i686, 32-bit Wine $version, native"
    else
        tree_description="x86_64 twin, 64-bit Wine $version: this machine does not run 32-bit code"
    fi
}
