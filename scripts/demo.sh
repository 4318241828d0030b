#!/usr/bin/env bash
# Shows the tool at work: runs the real zonechange.exe under Wine on the
# example INF, with the test stand-in for settz.exe beside it, and shows
# what changed. Installs what is missing and builds if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/wine-tool-folder.sh

scripts/install-deps.sh

build=build/win64
if [ ! -f "$build/zonechange.exe" ] || [ ! -f "$build/e2e-bin/settz.exe" ]; then
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
