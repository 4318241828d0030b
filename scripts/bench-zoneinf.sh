#!/usr/bin/env bash
# Times zoneinf's jobs with the optimised build: writing every zone
# (--all, 1970-2037), checking a full export (Wine 8's, about 140 zones,
# this year to 2037), and checking 1,000 exports in one run (a fleet's
# collection: copies of that export), and the peak memory of that run and
# of one over four 16 MiB files of line ends alone (getrusage through
# /usr/bin/time); then zoneinf.exe's --all under Wine.
# Prints the median of RUNS runs of each (default 10; 3 for the slow ones).
#   scripts/bench-zoneinf.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}

scripts/install-deps.sh
cmake --preset zoneinf >/dev/null
cmake --build --preset zoneinf --parallel 2 >/dev/null 2>&1
zoneinf=(build/zoneinf/zoneinf/zoneinf)
export_file=build/zoneinf-bench/wine-time-zones.reg
[ -f "$export_file" ] || scripts/export-wine-time-zones.sh "$export_file" build/zoneinf-bench/wineprefix >/dev/null

median_ms() { # COMMAND...: the median wall time of $runs runs, in milliseconds
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        # A run that fails is no figure: statuses 0 and 1 are a check's results.
        "$@" >/dev/null 2>&1 || [ $? -le 1 ] || { echo "failed: $*" >&2; exit 1; }
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

echo "zoneinf --all --approximate (139 zones, 1970-2037): $(median_ms "${zoneinf[@]}" --all --approximate) ms"
echo "zoneinf --check (Wine 8's export of 139 zones, this year to 2037): $(median_ms "${zoneinf[@]}" --check "$export_file") ms"

fleet=build/zoneinf-bench/fleet
if [ ! -f "$fleet/pc1000.reg" ]; then
    mkdir -p "$fleet"
    for i in $(seq 1000); do cp "$export_file" "$fleet/pc$i.reg"; done
fi
runs=3
echo "zoneinf --check of 1,000 exports in one run: $(median_ms "${zoneinf[@]}" --check "$fleet"/*.reg) ms"

peak_mb() { # COMMAND...: the run's peak resident memory (getrusage's ru_maxrss), in MB
    local report
    report=$(mktemp)
    /usr/bin/time -f %M -o "$report" "$@" >/dev/null 2>&1 || [ $? -le 3 ] || { echo "failed: $*" >&2; exit 1; }
    echo $(($(tail -1 "$report") / 1024))
    rm -f "$report"
}
# Files of line ends alone after an export's head: the costliest text per
# input byte (each line end a line), up to the 16 MiB an input may hold.
for i in 1 2 3 4; do
    [ -f "$fleet/../line-ends$i.reg" ] ||
        { printf 'Windows Registry Editor Version 5.00\n'; head -c $((16 * 1024 * 1024 - 40)) /dev/zero | tr '\0' '\n'; } \
            >"$fleet/../line-ends$i.reg"
done
echo "peak memory of zoneinf --check of 1,000 exports: $(peak_mb "${zoneinf[@]}" --check "$fleet"/*.reg) MB (bound: 1,000 MB)"
echo "peak memory of zoneinf --check of 4 line-end-only files of 16 MiB: $(peak_mb "${zoneinf[@]}" --check "$fleet"/../line-ends*.reg) MB"

cmake --preset win64 >/dev/null
cmake --build --preset win64 --parallel 2 --target zoneinf >/dev/null 2>&1
. scripts/wine-tool-folder.sh
use_wine_prefix "$PWD/build/zoneinf-bench/wineprefix" >/dev/null
"$wine" build/win64/zoneinf.exe --version >/dev/null 2>&1  # the prefix started
echo "zoneinf.exe --all --approximate under Wine: $(median_ms "$wine" build/win64/zoneinf.exe --all --approximate) ms" \
    "(zoneinf.exe: $(stat -c %s build/win64/zoneinf.exe) bytes)"
"$wineserver" -k 2>/dev/null || true
