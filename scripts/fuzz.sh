#!/usr/bin/env bash
# Fuzzes the run sequence for SECONDS (default 60) and prints how many
# executions were done. A finding is saved under build/fuzz/findings/ and
# the script fails; run the fuzzer on that file to see the failed check.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel 2 >/dev/null

findings=build/fuzz/findings
mkdir -p "$findings"
log=build/fuzz/last-run.log
status=0
build/fuzz/tests/fuzz/zone_change_fuzzer -max_total_time="$seconds" -close_fd_mask=3 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
echo "executions: ${runs:-0} in $seconds s"
if [ "$status" -ne 0 ]; then
    grep -E 'Test unit written|SUMMARY' "$log" >&2 || true
    exit "$status"
fi
