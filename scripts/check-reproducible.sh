#!/usr/bin/env bash
# Builds the 32-bit executable twice from clean, in two different folders,
# and checks that the two are byte-identical.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for build in first-build second/build; do
    cmake --preset win32 -B "$work/$build" >/dev/null
    cmake --build "$work/$build" --target zonechange >/dev/null
done

first=$(sha256sum < "$work/first-build/zonechange.exe" | cut -d' ' -f1)
second=$(sha256sum < "$work/second/build/zonechange.exe" | cut -d' ' -f1)
echo "first build:  $first"
echo "second build: $second"
if [ "$first" != "$second" ]; then
    echo "zonechange.exe is not reproducible: the two clean builds differ" >&2
    cmp -l "$work/first-build/zonechange.exe" "$work/second/build/zonechange.exe" | head >&2 || true
    exit 1
fi
echo "reproducible: both clean builds are byte-identical"
