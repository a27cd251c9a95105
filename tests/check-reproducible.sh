#!/usr/bin/env bash
# Builds the product, its test kit and their zips twice, from two source folders into two
# build folders, and compares the two SHA256SUMS, which hold the hashes of all three.
# Usage: check-reproducible.sh SOURCE_DIR WORK_DIR
set -u
source=$1
work=$2
rm -rf "$work"
mkdir -p "$work/elsewhere/source"
tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/elsewhere/source" -xf -
# Both zips take their entry times from the same commit. The product is built without
# that hint, which the linker would otherwise take for its time stamp.
epoch=$(git -C "$source" log -1 --format=%ct 2>/dev/null || echo 315532800)
unset SOURCE_DATE_EPOCH

build() {
    (cd "$1" && cmake --preset release -B "$2" -DTRAYLNCH_WINE_TESTS=OFF -DTRAYLNCH_DIST_DIR="$2/dist" >/dev/null) &&
        cmake --build "$2" --target traylnch kit >/dev/null && SOURCE_DATE_EPOCH=$epoch cmake --build "$2" --target release >/dev/null
}
build "$source" "$work/a" || { echo "FAIL: the first build"; exit 1; }
sleep 2 # a time stamp in the file would then differ
build "$work/elsewhere/source" "$work/b/deeper" || { echo "FAIL: the second build"; exit 1; }

sums=$(cat "$work/a/dist/SHA256SUMS")
[ "$sums" = "$(cat "$work/b/deeper/dist/SHA256SUMS")" ] ||
    { echo "FAIL: not the same bytes twice:"; diff "$work/a/dist/SHA256SUMS" "$work/b/deeper/dist/SHA256SUMS"; exit 1; }
echo "the same bytes twice: $(tr '\n' ' ' <<<"$sums")"
