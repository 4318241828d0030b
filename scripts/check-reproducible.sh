#!/usr/bin/env bash
# Builds the 32-bit programs (zonechange.exe and settz.exe) twice from
# clean, in two different folders, and checks that each pair is
# byte-identical. With --kit, also the kit's zip (win64 preset: zoneinf.exe,
# the host's zoneinf and the 32-bit programs again; about 10 minutes more).
#   scripts/check-reproducible.sh [--kit]
set -euo pipefail
cd "$(dirname "$0")/.."
kit=false
case ${1:-} in
--kit) kit=true ;;
"") ;;
*) echo "usage: scripts/check-reproducible.sh [--kit]" >&2; exit 2 ;;
esac

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
if $kit; then
    for build in first-kit second/kit; do
        # zoneinf's compiler warnings stay out of the way, its errors do not.
        if ! { cmake --preset win64 -B "$work/$build" && cmake --build "$work/$build" --target kit --parallel 2; } \
            >"$work/kit-build.log" 2>&1; then
            tail -n 40 "$work/kit-build.log" >&2
            exit 1
        fi
    done
    first=$(sha256sum "$work"/first-kit/zonechange-*-kit.zip)
    second=$(sha256sum "$work"/second/kit/zonechange-*-kit.zip)
    echo "kit first build:  $first"
    echo "kit second build: $second"
    if [ "${first%% *}" != "${second%% *}" ]; then
        echo "the kit's zip is not reproducible: the two clean builds differ" >&2
        differ=1
    fi
fi
[ "$differ" -eq 0 ] || exit 1
echo "reproducible: both clean builds of each program are byte-identical"
