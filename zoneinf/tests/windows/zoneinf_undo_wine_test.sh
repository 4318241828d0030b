#!/usr/bin/env bash
# zoneinf's undo end to end under Wine, in a fresh prefix of its own: an
# earlier deployment of another zone, an export taken before, zoneinf's INF
# for several zones (with --label) applied by the real zonechange.exe, the
# label and the trace per key it leaves, then the undo INF applied the same
# way; the Time Zones key exported again holds what it held, value for
# value, and the earlier deployment's trace stays.
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
trace_value() { # KEY NAME EXPECTED
    "$wine" reg query "$definitions\\$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -qx "    $2    REG_SZ    $3"
}
paraguay="$time_zones\\Paraguay Standard Time"
paraguay_value() { "$wine" reg query "$paraguay" /v "$1" 2>/dev/null | tr -d '\r'; }

# What real machines hold and a fresh prefix lacks.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    "[$time_zones\\Paraguay Standard Time]" \
    '"Display"="(UTC-04:00) Asunción"' \
    '"MUI_Display"="@tzres.dll,-1871"' \
    '"Dlt"=-' \
    '"Note"="50% \"quoted\""' \
    '"Path"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,00,00' \
    '"List"=hex(7):61,00,00,00,62,00,00,00,00,00' \
    '"Quad"=hex(b):01,02,03,04,05,06,07,08' '' |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/machine.reg"
check "the machine is given an accent, quotes, %, no Dlt and three more types" \
    run_in "$work" "$wine" reg import machine.reg
check "an earlier deployment: zoneinf's INF for Asia/Tokyo" zoneinf -o "$work/tool/tokyo.inf" Asia/Tokyo
check "  ... applied by zonechange.exe" apply tokyo.inf
check "its definitions exported before the deployment" export_zones before.reg

zones=(America/Asuncion Europe/Dublin Asia/Jerusalem Australia/Lord_Howe America/Caracas)
check "zoneinf writes the INF for ${zones[*]}, with --label from the export" \
    zoneinf --approximate --label="$work/before.reg" -o "$work/tool/zones.inf" "${zones[@]}"
check "zoneinf writes the undo INF from the export" \
    zoneinf --undo "$work/before.reg" "${zones[@]}" -o "$work/tool/undo.inf"
check "zonechange.exe applies the INF" apply zones.inf
check "the definitions changed" export_zones deployed.reg
check "  ... Paraguay's among them" eval '! same_values before.reg deployed.reg && grep -q "Paraguay Standard Time" "$work/diff.txt"'

tzdata=$(zoneinf --version | sed -n 's/^tzdata \([^ ]*\).*/\1/p')
cldr=$(zoneinf --version | sed -n 's/^CLDR \([^ ]*\).*/\1/p')
check "Paraguay's trace: TzdataRelease $tzdata" trace_value "Paraguay Standard Time" TzdataRelease "$tzdata"
check "  ... CldrRelease $cldr" trace_value "Paraguay Standard Time" CldrRelease "$cldr"
check "  ... ZoneinfVersion" trace_value "Paraguay Standard Time" ZoneinfVersion "$(zoneinf --version | sed -n '1s/^zoneinf //p')"
check "  ... Zone" trace_value "Paraguay Standard Time" Zone America/Asuncion
check "Ireland's: Zone Europe/Dublin" trace_value "GMT Standard Time" Zone Europe/Dublin
check "the earlier deployment's trace stays" trace_value "Tokyo Standard Time" Zone Asia/Tokyo
check "zoneinf.exe --check of the machine itself names the traces" eval \
    '"$wine" "$work/tool/zoneinf.exe" --check 2>/dev/null | tr -d "\r" |
         grep -q "^Definitions applied: tzdata $tzdata, CLDR $cldr, zoneinf .*; zones .*America/Asuncion"'
# The label as the INF writes it (UTF-16, for the accent): its offset, and
# Windows' own place name from the export.
label=$(iconv -f UTF-16 -t UTF-8 "$work/tool/zones.inf" | tr -d '\r' |
    sed -n 's/.*Paraguay Standard Time","Display",0x00000000,"\((UTC[^)]*)\) .*/\1/p')
check "the INF's label for Paraguay: $label Asunción" eval '[ -n "$label" ] &&
    iconv -f UTF-16 -t UTF-8 "$work/tool/zones.inf" | grep -q "Paraguay Standard Time\",\"Display\",0x00000000,\"$label Asunción\""'
check "  ... is Paraguay's Display on the machine" eval 'paraguay_value Display | grep -q "^    Display    REG_SZ    $label Asunci"'
check "  ... and MUI_Display is gone" eval '! paraguay_value MUI_Display | grep -q MUI_Display'

# Redirected with no console, zoneinf.exe writes the ANSI code page: 1252 here.
spanish_help() { LC_ALL=es_ES.UTF-8 "$wine" "$work/tool/zoneinf.exe" --help 2>/dev/null | iconv -f CP1252 -t UTF-8 | grep -q '^Uso: zoneinf \[OPCIÓN\]'; }
check "zoneinf.exe speaks Spanish where Windows' display language is Spanish" spanish_help
check "  ... and English elsewhere" eval '"$wine" "$work/tool/zoneinf.exe" --help 2>/dev/null | grep -q "^Usage: zoneinf"'

check "zonechange.exe applies the undo INF" apply undo.inf
check "the definitions exported after the undo" export_zones undone.reg
check "  ... are those of before, value for value" same_values before.reg undone.reg
sed 's/^/        | /' "$work/diff.txt" | head -n 20
check "Display and MUI_Display are back" eval 'paraguay_value Display | grep -q "(UTC-04:00) Asunci" &&
    paraguay_value MUI_Display | grep -q "REG_SZ    @tzres.dll,-1871"'
check "Paraguay's trace is gone, as the export had none" eval '! "$wine" reg query "$definitions\Paraguay Standard Time" >/dev/null 2>&1'
check "  ... and Ireland's" eval '! "$wine" reg query "$definitions\GMT Standard Time" >/dev/null 2>&1'
check "the earlier deployment's trace stays" trace_value "Tokyo Standard Time" TzdataRelease "$tzdata"

report_checks
