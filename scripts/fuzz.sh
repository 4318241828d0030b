#!/usr/bin/env bash
# Fuzzes for SECONDS each (default 60): the run sequence, then zoneinf's
# reader of exports and INFs (--check), and prints how many executions each
# did. A finding is saved under build/fuzz/findings/ and the script fails;
# run that fuzzer on the file to see the failed check.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel 2 >/dev/null

findings=build/fuzz/findings
mkdir -p "$findings" build/fuzz/export-corpus
status=0
fuzz() { # NAME FUZZER ARGUMENTS...
    local name=$1 log=build/fuzz/last-run-$1.log result=0
    shift
    "$@" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || result=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "$name: ${runs:-0} executions in $seconds s"
    if [ "$result" -ne 0 ]; then
        grep -E 'Test unit written|SUMMARY|check failed' "$log" >&2 || true
        status=$result
    fi
}
fuzz "run sequence" build/fuzz/tests/fuzz/zone_change_fuzzer -close_fd_mask=3
fuzz "export reader" build/fuzz/zoneinf/tests/fuzz/exported_definitions_fuzzer -max_len=8192 \
    build/fuzz/export-corpus zoneinf/tests/fuzz/corpus
exit "$status"
