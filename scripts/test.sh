#!/usr/bin/env bash
# The test command: installs what is missing, then configures, builds and
# tests every preset:
#   zonechange  zonechange.exe and settz.exe alone, without zoneinf: the
#               host's unit tests, the 32-bit programs and their inspection
#   native      unit tests of the run sequence and of zoneinf, with zoneinf's
#               proof over every zone (AddressSanitizer, UBSan)
#   zoneinf     zoneinf's Debian package: contents, lintian, manual page
#   win32       the 32-bit executable: format, imports, size, version, package
#   win64       end-to-end tests of the real executable, and of zoneinf's
#               INFs and --check, under Wine; the kit's zip, and its .cmd
#               scripts under Wine
#   fuzz        short libFuzzer runs over the run sequence and zoneinf's readers
# and checks that two clean 32-bit builds are byte-identical. Ends with
# CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

presets=(zonechange native zoneinf win32 win64 fuzz)

for preset in "${presets[@]}"; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel 2
done

scripts/check-reproducible.sh

status=0
for preset in "${presets[@]}"; do
    ctest --preset "$preset" --parallel 2 || status=1
done
exit "$status"
