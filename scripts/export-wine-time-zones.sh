#!/usr/bin/env bash
# Exports the Time Zones key of a Wine prefix with Wine's own reg, as an
# administrator exports a machine's (UTF-16 with a byte-order mark):
# zoneinf's tests check this real export, which nobody here wrote. Creates
# the prefix if it is not there.
#   scripts/export-wine-time-zones.sh OUTPUT PREFIX
set -euo pipefail
output=$(realpath -m "$1")
prefix=$(realpath -m "$2")
cd "$(dirname "$0")/.."
. scripts/wine-tool-folder.sh

folder=$(dirname "$output")
name=$(basename "$output")
mkdir -p "$folder" "$(dirname "$prefix")"
use_wine_prefix "$prefix"
(cd "$folder" && "$wine" reg export 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones' \
    "$name.partial" /y >/dev/null 2>&1)
# The export is whole once the prefix's processes have ended.
"$wineserver" -w
[ -s "$folder/$name.partial" ]
mv "$folder/$name.partial" "$output"
