#!/usr/bin/env bash
# Checks the product's file: a 32-bit GUI program for the 4.0 shell, code-page entry points
# only, and the built-in icon group as its only resource.
set -u
exe=$1
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || fail "not an i386 program"
grep -qE '^Subsystem\s+00000002' <<<"$headers" || fail "not a GUI program"
grep -qE '^MajorSubsystemVersion\s+4$' <<<"$headers" || fail "subsystem major version is not 4"
grep -qE '^MinorSubsystemVersion\s+0$' <<<"$headers" || fail "subsystem minor version is not 0"

# The imported names of USER32 and SHELL32: none may be a wide-character ("W") entry point.
imports=$(awk '/DLL Name:/ { dll = toupper($3) } dll ~ /^(USER32|SHELL32)\.DLL$/ && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }' <<<"$headers")
[ -n "$imports" ] || fail "no USER32 or SHELL32 imports found"
wide=$(grep -E 'W$' <<<"$imports")
[ -z "$wide" ] || fail "wide entry points imported: $wide"

# Exactly icon group 101 and its six images, all German (Germany), language 1031.
resources=$(wrestool -l "$exe" | sed 's/ *\[.*//' | sort)
expected=$(printf -- '--type=14 --name=101 --language=1031\n'; for n in 1 2 3 4 5 6; do printf -- '--type=3 --name=%d --language=1031\n' "$n"; done)
expected=$(sort <<<"$expected")
[ "$resources" = "$expected" ] || fail "resources differ: $(echo; echo "$resources")"

# The images in their order: sizes and colour depths.
images=$(wrestool -x --type=14 "$exe" | icotool -l - 2>/dev/null | sed -E 's/.*--width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+).*/\1x\2x\3/' | tr '\n' ' ')
[ "$images" = "48x48x4 16x16x8 32x32x8 48x48x8 16x16x4 32x32x4 " ] || fail "icon images differ: $images"

echo "$(stat -c %s "$exe") bytes, $(wc -l <<<"$imports") USER32/SHELL32 imports, resources: $(wc -l <<<"$resources")"
exit $failed
