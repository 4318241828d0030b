#!/usr/bin/env bash
# The test command: installs what is missing, then configures, builds and
# tests every preset. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

presets=(native win32 win64)

for preset in "${presets[@]}"; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel 2
done

status=0
for preset in "${presets[@]}"; do
    ctest --preset "$preset" --parallel 2 || status=1
done
exit "$status"
