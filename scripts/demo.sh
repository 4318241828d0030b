#!/usr/bin/env bash
# Shows the tool at work: runs the real zonechange.exe under Wine on the
# example INF, with the test stand-in for settz.exe beside it, and shows
# what changed. Then the whole zoneinf workflow on Paraguay, in a fresh
# Wine prefix whose own records are stale: check, write the INF, apply it
# with zonechange.exe, check again, with Windows' own local time before
# and after. Installs what is missing and builds if needed; asks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/wine-tool-folder.sh

scripts/install-deps.sh

build=build/win64
zoneinf=$build/host-zoneinf/zoneinf
if [ ! -f "$build/zonechange.exe" ] || [ ! -f "$build/e2e-bin/settz.exe" ] ||
   [ ! -x "$zoneinf" ] || [ ! -f "$build/e2e-bin/zone_time_check.exe" ]; then
    cmake --preset win64
    cmake --build --preset win64 --parallel 2
fi

demo="$root/build/demo"
stage_tool_folder "$demo/tool"
printf '@echo off\r\nzonechange.exe /i zona.inf /z "Romance Standard Time"\r\necho Estado de salida: %%ERRORLEVEL%%\r\n' > "$demo/tool/demo.cmd"

use_wine_prefix "$demo/wineprefix"
"$wine" reg delete 'HKCU\Software\ZonechangeEjemplo' /f >/dev/null 2>&1 || true

echo
echo "== Running, in $demo/tool:"
echo "   zonechange.exe /i zona.inf /z \"Romance Standard Time\""
(cd "$demo/tool" && "$wine" cmd /c demo.cmd) | tr -d '\r'

# The zone setter runs on its own; give it a moment to leave its record.
for _ in $(seq 50); do
    [ -f "$demo/tool/settz-record.txt" ] && break
    sleep 0.1
done

echo
echo "== Registry values the INF set (HKCU\\Software\\ZonechangeEjemplo):"
"$wine" reg query 'HKCU\Software\ZonechangeEjemplo' | tr -d '\r' | sed -n '/REG_/p'
echo
echo "== INI entry the INF set (zonechange.ini beside the tool):"
tr -d '\r' < "$demo/tool/zonechange.ini"
echo
echo "== Command line the zone setter received (stand-in settz.exe):"
sed -n 's/^command=//p' "$demo/tool/settz-record.txt"

# The zoneinf workflow on Paraguay. Wine's own record still has daylight
# time, which Paraguay dropped in October 2024 (UTC-03:00 all year).
paraguay="$demo/paraguay"
rm -rf "$paraguay"
mkdir -p "$paraguay"
stage_tool_folder "$paraguay/tool"
cp "$build/e2e-bin/zone_time_check.exe" "$paraguay/"
"$wineserver" -k 2>/dev/null || true
use_wine_prefix "$paraguay/wineprefix"
trap '"$wineserver" -k 2>/dev/null || true' EXIT
noon_utc=1751371200 # 2025-07-01T12:00:00Z
local_time() {
    (cd "$paraguay" && "$wine" zone_time_check.exe --local "Paraguay Standard Time" "$noon_utc") | tr -d '\r'
}
check_export() { # NAME: exports the prefix's Time Zones key and checks it
    scripts/export-wine-time-zones.sh "$paraguay/$1" "$WINEPREFIX"
    echo "   zoneinf --check $1"
    local status=0
    "$zoneinf" --check "$paraguay/$1" 2>&1 | sed 's/^/     /' || status=${PIPESTATUS[0]}
    echo "   (exit status $status)"
}

echo
echo "== zoneinf on Paraguay, in a fresh Wine prefix ($paraguay)"
echo "-- 1. Check the machine's records: 'reg export ... /y', then zoneinf --check"
check_export before.reg
echo "-- 2. Windows' own local time for 2025-07-01 12:00 UTC in Paraguay Standard Time:"
echo "     $(local_time)"
echo "-- 3. Write the INF: zoneinf America/Asuncion -o paraguay.inf"
"$zoneinf" America/Asuncion -o "$paraguay/tool/paraguay.inf"
sed -n '1,3p' "$paraguay/tool/paraguay.inf" | tr -d '\r' | sed 's/^/     /'
echo "-- 4. Apply it: zonechange.exe /i paraguay.inf /z \"Paraguay Standard Time\""
status=0
(cd "$paraguay/tool" && "$wine" zonechange.exe /i paraguay.inf /z "Paraguay Standard Time") || status=$?
echo "   (exit status $status; Wine cannot run the real zone setter's last call, so the"
echo "    stand-in settz.exe beside it records it instead)"
"$wineserver" -w
echo "-- 5. Windows' own local time for 2025-07-01 12:00 UTC, now:"
echo "     $(local_time)"
echo "-- 6. Check again"
check_export after.reg
