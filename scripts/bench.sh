#!/usr/bin/env bash
# Benchmark: the tool on the example INF (with the stand-in zone setter)
# against a do-nothing program, alternating, in one Wine prefix; prints the
# ratio of the medians and the size of the 32-bit executable.
#   scripts/bench.sh [RUNS]   (default 40 of each)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-40}
. scripts/wine-tool-folder.sh

scripts/install-deps.sh
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --parallel 2 >/dev/null
done

bench="$(pwd)/build/bench"
stage_tool_folder "$bench/tool"
cp build/win64/e2e-bin/do_nothing.exe build/win64/e2e-bin/bench_runner.exe "$bench/tool/"
use_wine_prefix "$bench/wineprefix"

windows_dir="Z:$(printf '%s' "$bench/tool" | tr '/' '\\')"
(cd "$bench/tool" && "$wine" bench_runner.exe "$runs" "$windows_dir\\zonechange.exe" \
    "$windows_dir\\do_nothing.exe" /i zona.inf /z "Romance Standard Time") | tr -d '\r'
echo "build/win32/zonechange.exe: $(stat -c %s build/win32/zonechange.exe) bytes"
