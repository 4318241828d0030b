#!/usr/bin/env bash
# zoneinf's undo end to end under Wine, in a fresh prefix of its own: an
# export taken before, zoneinf's INF for several zones applied by the real
# zonechange.exe, the trace it leaves, then the undo INF applied the same
# way; the Time Zones key exported again holds what it held, value for value.
# The machine is first given what real ones hold and Wine's lacks: a display
# name with an accent, quotes and percent signs, a zone without Dlt (which
# zoneinf's INF adds), REG_EXPAND_SZ, REG_MULTI_SZ and REG_QWORD values.
# zoneinf.exe's check of the live registry names the trace too, and
# zoneinf.exe speaks Spanish where Windows' display language is Spanish.
# zoneinf reads the system's database, or the tree ZONEINF_TEST_SYSTEM_ZONEINFO
# names; the releases expected are the ones it reports.
# Usage: zoneinf_undo_wine_test.sh ZONEINF ZONEINF_EXE ZONECHANGE_EXE SETTZ_EXE WORK_DIR
set -u
zoneinf_program=$1 zoneinf_exe=$2 zonechange=$3 settz=$4 work=$5
zoneinf() { "$zoneinf_program" --zoneinfo "${ZONEINF_TEST_SYSTEM_ZONEINFO:-/usr/share/zoneinfo}" "$@"; }

. "$(dirname "$0")/../../../tests/lib/wine_test_lib.sh"
start_wine_test "$work"
mkdir -p "$work/tool"
cp "$zonechange" "$settz" "$zoneinf_exe" "$work/tool/"

time_zones='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones'
definitions='HKLM\SOFTWARE\zonechange\Definitions'
. "$scripts/registry-values.sh"
same_values() { diff <(registry_values "$work/$1") <(registry_values "$work/$2") >"$work/diff.txt"; }
apply() { run_in "$work/tool" "$wine" zonechange.exe /i "$1" /z "Paraguay Standard Time" >/dev/null 2>&1; }
trace_value() { # NAME EXPECTED
    "$wine" reg query "$definitions" /v "$1" 2>/dev/null | tr -d '\r' | grep -qx "    $1    REG_SZ    $2"
}

# What real machines hold and a fresh prefix lacks.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    "[$time_zones\\Paraguay Standard Time]" \
    '"Display"="(UTC-04:00) Asunción"' \
    '"Dlt"=-' \
    '"Note"="50% \"quoted\""' \
    '"Path"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,00,00' \
    '"List"=hex(7):61,00,00,00,62,00,00,00,00,00' \
    '"Quad"=hex(b):01,02,03,04,05,06,07,08' '' |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/machine.reg"
check "the machine is given an accent, quotes, %, no Dlt and three more types" \
    run_in "$work" "$wine" reg import machine.reg
check "its definitions exported before the deployment" export_zones before.reg

zones=(America/Asuncion Europe/Dublin Asia/Jerusalem Australia/Lord_Howe America/Caracas)
check "zoneinf writes the INF for ${zones[*]}" zoneinf --approximate -o "$work/tool/zones.inf" "${zones[@]}"
check "zoneinf writes the undo INF from the export" \
    zoneinf --undo "$work/before.reg" "${zones[@]}" -o "$work/tool/undo.inf"
check "zonechange.exe applies the INF" apply zones.inf
check "the definitions changed" export_zones deployed.reg
check "  ... Paraguay's among them" eval '! same_values before.reg deployed.reg && grep -q "Paraguay Standard Time" "$work/diff.txt"'

tzdata=$(zoneinf --version | sed -n 's/^tzdata \([^ ]*\).*/\1/p')
cldr=$(zoneinf --version | sed -n 's/^CLDR \([^ ]*\).*/\1/p')
check "trace: TzdataRelease $tzdata" trace_value TzdataRelease "$tzdata"
check "trace: CldrRelease $cldr" trace_value CldrRelease "$cldr"
check "trace: ZoneinfVersion" trace_value ZoneinfVersion "$(zoneinf --version | sed -n '1s/^zoneinf //p')"
check "trace: Zones" trace_value Zones "${zones[*]}"
check "zoneinf.exe --check of the machine itself names the trace" eval \
    '"$wine" "$work/tool/zoneinf.exe" --check 2>/dev/null | tr -d "\r" |
         grep -qx "Definitions applied: tzdata $tzdata, CLDR $cldr, zoneinf .*; zones ${zones[*]}"'

spanish_help() { LC_ALL=es_ES.UTF-8 "$wine" "$work/tool/zoneinf.exe" --help 2>/dev/null | grep -q '^Uso: zoneinf \[OPCIÓN\]'; }
check "zoneinf.exe speaks Spanish where Windows' display language is Spanish" spanish_help
check "  ... and English elsewhere" eval '"$wine" "$work/tool/zoneinf.exe" --help 2>/dev/null | grep -q "^Usage: zoneinf"'

check "zonechange.exe applies the undo INF" apply undo.inf
check "the definitions exported after the undo" export_zones undone.reg
check "  ... are those of before, value for value" same_values before.reg undone.reg
sed 's/^/        | /' "$work/diff.txt" | head -n 20
check "the trace is gone, as the export had none" eval '! "$wine" reg query "$definitions" >/dev/null 2>&1'

report_checks
