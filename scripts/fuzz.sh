#!/usr/bin/env bash
# Fuzzes every target for SECONDS each (default 60): the run sequence, then
# zoneinf's readers of outside bytes (exports and INFs for --check, TZif
# files, the Windows-zone mapping), and prints how many executions each
# did. Each target keeps its growing corpus under build/fuzz/corpus/NAME
# (the seeds in the tree are only read). A finding is kept under
# build/fuzz/findings/NAME/ and the script fails; run that fuzzer on the
# file to see the failed check, and add the file to
# zoneinf/tests/regressions/READER/ once mended.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel 2 >/dev/null

status=0
fuzz() { # NAME FUZZER SEEDS ARGUMENTS...
    local name=$1 fuzzer=$2 seeds=$3 result=0
    shift 3
    local log=build/fuzz/last-run-$name.log corpus=build/fuzz/corpus/$name findings=build/fuzz/findings/$name
    mkdir -p "$corpus" "$findings"
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
        "$@" "$corpus" $seeds >"$log" 2>&1 || result=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "$name: ${runs:-0} executions in $seconds s, $(find "$findings" -type f | wc -l) findings kept"
    if [ "$result" -ne 0 ]; then
        grep -E 'Test unit written|SUMMARY|check failed' "$log" >&2 || true
        status=$result
    fi
}
readers=build/fuzz/zoneinf/tests/fuzz
seeds=zoneinf/tests/fuzz/seeds
limits=(-max_len=16384 -timeout=30 -malloc_limit_mb=1024)
fuzz run-sequence build/fuzz/tests/fuzz/zone_change_fuzzer "" -close_fd_mask=3
fuzz exported-definitions $readers/exported_definitions_fuzzer $seeds/exports "${limits[@]}"
fuzz tzif $readers/tzif_fuzzer $seeds/tzif "${limits[@]}"
fuzz windows-zone-map $readers/windows_zone_map_fuzzer $seeds/windows-zones "${limits[@]}"
exit "$status"
