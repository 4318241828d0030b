#!/usr/bin/env bash
# Builds the 32-bit programs (zonechange.exe and settz.exe) twice from
# clean, in two different folders, and checks that each pair is
# byte-identical.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for build in first-build second/build; do
    cmake --preset win32 -B "$work/$build" >/dev/null
    cmake --build "$work/$build" --target zonechange settz >/dev/null
done

differ=0
for program in zonechange.exe settz.exe; do
    first=$(sha256sum < "$work/first-build/$program" | cut -d' ' -f1)
    second=$(sha256sum < "$work/second/build/$program" | cut -d' ' -f1)
    echo "$program first build:  $first"
    echo "$program second build: $second"
    if [ "$first" != "$second" ]; then
        echo "$program is not reproducible: the two clean builds differ" >&2
        cmp -l "$work/first-build/$program" "$work/second/build/$program" | head >&2 || true
        differ=1
    fi
done
[ "$differ" -eq 0 ] || exit 1
echo "reproducible: both clean builds of each program are byte-identical"
