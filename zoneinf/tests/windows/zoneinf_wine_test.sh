#!/usr/bin/env bash
# zoneinf end to end under Wine, in a fresh prefix of its own:
#  - Wine's own Time Zones key, exported with Wine's reg, is stale for
#    Paraguay: --check on the tests' own database flags it, and Windows'
#    functions give UTC-4 in July 2025;
#  - the INF zoneinf writes for zones with hard cases, applied by the real
#    zonechange.exe from its own folder, makes Windows' own functions give
#    the database's local times around every change of the years covered;
#  - a new export no longer flags those zones, and an INF zoneinf wrote
#    checks clean;
#  - once --all --approximate's INF is applied, a new export checks clean:
#    status 0, the keys with years no record describes counted apart.
# Everything else is read on the system's database (or the tree
# ZONEINF_TEST_SYSTEM_ZONEINFO names), and what is expected of it is
# computed from it, so the test holds on any tzdata release.
# Usage: zoneinf_wine_test.sh ZONEINF OFFSET_EXPECTATIONS ZONECHANGE_EXE SETTZ_EXE ZONE_TIME_CHECK_EXE WORK_DIR
#            TEST_ZONEINFO TEST_MAPPING
set -u
zoneinf_program=$1 expectations=$2 zonechange=$3 settz=$4 zone_time_check=$5 work=$6
test_zoneinfo=$7 test_mapping=$8
system_zoneinfo=${ZONEINF_TEST_SYSTEM_ZONEINFO:-/usr/share/zoneinfo}
zoneinf() { "$zoneinf_program" --zoneinfo "$system_zoneinfo" "$@"; }

. "$(dirname "$0")/../../../tests/lib/wine_test_lib.sh"
start_wine_test "$work"
mkdir -p "$work/tool"
cp "$zonechange" "$settz" "$work/tool/"
cp "$zone_time_check" "$work/"

flags_paraguay() { grep -q '^Paraguay Standard Time  America/Asuncion  from ' "$work/last.out"; }
# The keys a check's report flags, one per line.
flagged() { sed -n 's/^\(.*\)  [^ ]*  from .*/\1/p' "$work/$1"; }
july_2025=1751328000 # 2025-07-01T00:00:00Z
# A zone's offset in seconds at an instant, by the C library from the
# system's database: "ZONE INSTANT".
offset_at() {
    local z
    z=$(TZDIR=$system_zoneinfo TZ=$1 date -d "@$2" +%z)
    echo $(((${z:0:1}1) * (10#${z:1:2} * 3600 + 10#${z:3:2} * 60)))
}

check "Wine's own records exported" export_zones before.reg
check "--check on the tests' database flags Wine's stale Paraguay record (status 1)" \
    status_is 1 "$zoneinf_program" --zoneinfo "$test_zoneinfo" --windows-zones "$test_mapping" --check "$work/before.reg"
check "  ... naming Paraguay Standard Time and America/Asuncion" flags_paraguay
printf 'Paraguay Standard Time\t%s\t-14400\n' "$july_2025" >"$work/stale.txt"
check "Wine's own Paraguay record gives UTC-4 in July 2025" status_is 0 run_in "$work" "$wine" zone_time_check.exe stale.txt
zoneinf --check "$work/before.reg" >"$work/before.out" 2>&1

zones=(America/Asuncion America/Caracas Europe/Volgograd America/Nuuk Asia/Jerusalem
       Australia/Lord_Howe Europe/Dublin Africa/Casablanca America/Mazatlan Asia/Bishkek)
check "zoneinf writes the INF for ${zones[*]}" \
    status_is 0 zoneinf --approximate -o "$work/tool/zones.inf" "${zones[@]}"
check "zonechange.exe applies it from its own folder (status 0)" \
    status_is 0 run_in "$work/tool" "$wine" zonechange.exe /i zones.inf /z "Paraguay Standard Time"
"$expectations" "$work/tool/zones.inf" "$system_zoneinfo" >"$work/expected.txt"
check "the database's local times computed around every change ($(wc -l <"$work/expected.txt") instants)" \
    test -s "$work/expected.txt"
check "Windows' own functions give them all" status_is 0 run_in "$work" "$wine" zone_time_check.exe expected.txt
paraguay_july=$(offset_at America/Asuncion "$july_2025")
printf 'Paraguay Standard Time\t%s\t%s\n' "$july_2025" "$paraguay_july" >"$work/fixed.txt"
check "Paraguay now gives the database's UTC$((paraguay_july / 3600)) in July 2025" \
    status_is 0 run_in "$work" "$wine" zone_time_check.exe fixed.txt

keys_written() { sed -n 's/^;   [^ ]* -> \(.*\)\r$/\1/p' "$work/tool/zones.inf"; }
check "records exported again after the update" export_zones after.reg
zoneinf --check "$work/after.reg" >"$work/after.out" 2>&1
check "--check of the new export no longer flags the keys written ($(keys_written | grep -cxF -f - <(flagged before.out)) flagged before)" \
    eval '! flagged after.out | grep -qxF -f <(keys_written)'
check "an INF zoneinf just wrote checks clean (status 0)" \
    status_is 0 sh -c "'$zoneinf_program' --zoneinfo '$system_zoneinfo' America/Asuncion --approximate -o '$work/paraguay.inf' &&
                       '$zoneinf_program' --zoneinfo '$system_zoneinfo' --check '$work/paraguay.inf'"

check "zoneinf --all --approximate writes every key's main zone" \
    status_is 0 zoneinf --all --approximate -o "$work/tool/all.inf"
# The keys with a year no record describes between this year and 2037,
# the years --check covers.
this_year=$(date -u +%Y)
as_close=$(sed -n 's/^zoneinf: approximated [^ ]* (\(.*\)) \([0-9]*\): .*/\2 \1/p' "$work/last.out" |
    awk -v from="$this_year" '$1 >= from && $1 <= 2037 { sub(/^[0-9]+ /, ""); print }' | sort -u | wc -l)
check "zonechange.exe applies it (status 0)" \
    status_is 0 run_in "$work/tool" "$wine" zonechange.exe /i all.inf /z "Paraguay Standard Time"
check "records exported again after --all" export_zones all.reg
check "--check of that export exits 0" status_is 0 zoneinf --check "$work/all.reg"
check "  ... with the keys whose years no record describes ($as_close) as close as Windows allows" \
    grep -qx "139 zones checked, 0 differ, $as_close as close as Windows allows, 0 unchecked" "$work/last.out"

report_checks
