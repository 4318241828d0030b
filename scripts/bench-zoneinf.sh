#!/usr/bin/env bash
# Times zoneinf's jobs with the optimised build and sets each beside a
# yardstick measured in the same run:
#  - writing every zone (--all --approximate, 1970-2037) against zdump
#    printing every change of the same zones over the same years: `zdump -v
#    -c 1970,2038` over the zones the INF's head lists (zdump's -c takes
#    the end year as the first one left out); zdump is the system's, with
#    the same database;
#  - checking 1,000 exports in one run (a fleet's collection: copies of
#    Wine 8's full export, about 140 zones, this year to 2037) against
#    `cat` of the same files, which reads them and does nothing else;
#    the files are read once first, so both read from the page cache;
#  - a check of one full export, the peak memory of the fleet's check and
#    of one over four 16 MiB files of line ends alone (getrusage through
#    /usr/bin/time); then zoneinf.exe's --all under Wine.
# Each pair of runs is taken alternately, and each figure is the median
# of RUNS runs (default 10; 5 for the fleet's).
#   scripts/bench-zoneinf.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}

scripts/install-deps.sh
cmake --preset zoneinf >/dev/null
cmake --build --preset zoneinf --parallel 2 >/dev/null 2>&1
zoneinf=(build/zoneinf/zoneinf/zoneinf)
bench=build/zoneinf-bench
export_file=$bench/wine-time-zones.reg
[ -f "$export_file" ] || scripts/export-wine-time-zones.sh "$export_file" "$bench/wineprefix" >/dev/null

# COMMAND...: the run's wall time in milliseconds. A run that fails is no
# figure: statuses 0 and 1 are a check's results.
run_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || [ $? -le 1 ] || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }
# The medians of COMMAND A and COMMAND B, run in turn $runs times each,
# as "A B": a moment of load on the machine falls on both alike.
#   paired_ms "A ARGS..." "B ARGS..."
paired_ms() {
    local a=() b=()
    for _ in $(seq "$runs"); do
        a+=("$(eval run_ms "$1")")
        b+=("$(eval run_ms "$2")")
    done
    echo "$(printf '%s\n' "${a[@]}" | median) $(printf '%s\n' "${b[@]}" | median)"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# --all against zdump over the same zones and years.
"${zoneinf[@]}" --all --approximate -o "$bench/all.inf" 2>/dev/null
mapfile -t zones < <(sed -n 's/^;   \([^ ]*\) -> .*/\1/p' "$bench/all.inf" | sort -u)
pair=$(paired_ms "${zoneinf[*]} --all --approximate" "zdump -v -c 1970,2038 ${zones[*]}")
read -r all_ms zdump_ms <<<"$pair"
echo "zoneinf --all --approximate (${#zones[@]} zones, 1970-2037): $all_ms ms;" \
    "zdump -v -c 1970,2038 over the same zones: $zdump_ms ms; ratio $(ratio "$all_ms" "$zdump_ms") (bound: 0.03)"

echo "zoneinf --check (Wine 8's export of 139 zones, this year to 2037):" \
    "$(for _ in $(seq "$runs"); do run_ms "${zoneinf[@]}" --check "$export_file"; done | median) ms"

fleet=$bench/fleet
if [ ! -f "$fleet/pc1000.reg" ]; then
    mkdir -p "$fleet"
    for i in $(seq 1000); do cp "$export_file" "$fleet/pc$i.reg"; done
fi
cat "$fleet"/*.reg >/dev/null  # into the page cache
runs=5
pair=$(paired_ms "${zoneinf[*]} --check $fleet/*.reg" "cat $fleet/*.reg")
read -r fleet_ms cat_ms <<<"$pair"
echo "zoneinf --check of 1,000 exports in one run ($(du -sm "$fleet" | cut -f1) MB): $fleet_ms ms;" \
    "cat of the same files: $cat_ms ms; ratio $(ratio "$fleet_ms" "$cat_ms") (bound: 3)"

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
    [ -f "$bench/line-ends$i.reg" ] ||
        { printf 'Windows Registry Editor Version 5.00\n'; head -c $((16 * 1024 * 1024 - 40)) /dev/zero | tr '\0' '\n'; } \
            >"$bench/line-ends$i.reg"
done
echo "peak memory of zoneinf --check of 1,000 exports: $(peak_mb "${zoneinf[@]}" --check "$fleet"/*.reg) MB (bound: 1,000 MB)"
echo "peak memory of zoneinf --check of 4 line-end-only files of 16 MiB: $(peak_mb "${zoneinf[@]}" --check "$bench"/line-ends*.reg) MB"

runs=3
cmake --preset win64 >/dev/null
cmake --build --preset win64 --parallel 2 --target zoneinf >/dev/null 2>&1
. scripts/wine-tool-folder.sh
use_wine_prefix "$PWD/$bench/wineprefix" >/dev/null
"$wine" build/win64/zoneinf.exe --version >/dev/null 2>&1  # the prefix started
echo "zoneinf.exe --all --approximate under Wine:" \
    "$(for _ in $(seq "$runs"); do run_ms "$wine" build/win64/zoneinf.exe --all --approximate; done | median) ms" \
    "(zoneinf.exe: $(stat -c %s build/win64/zoneinf.exe) bytes)"
"$wineserver" -k 2>/dev/null || true
