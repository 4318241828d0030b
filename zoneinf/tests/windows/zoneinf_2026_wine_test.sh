#!/usr/bin/env bash
# 2026's changes end to end under Wine, in a fresh prefix of its own:
#  - on the tests' own database (2026 as tzdata 2026f has it), zoneinf
#    refuses British Columbia's, Alberta's and Manitoba's zones for their
#    keys and names the keys that agree with them; it writes Cuba's key,
#    and Yukon's, the key Vancouver's computers may move to;
#  - on the system's database, whatever its release, it writes Morocco's
#    key, and Vancouver's is refused or written as that release says;
#  - the real zonechange.exe applies both INFs, and Windows' own functions
#    give the databases' local times around every change, Vancouver's
#    under "Yukon Standard Time" from the instant zoneinf named on.
# Usage: zoneinf_2026_wine_test.sh ZONEINF OFFSET_EXPECTATIONS ZONECHANGE_EXE SETTZ_EXE ZONE_TIME_CHECK_EXE WORK_DIR
#            TEST_ZONEINFO TEST_MAPPING
set -u
zoneinf_program=$1 expectations=$2 zonechange=$3 settz=$4 zone_time_check=$5
test_zoneinfo=$7 test_mapping=$8
system_zoneinfo=${ZONEINF_TEST_SYSTEM_ZONEINFO:-/usr/share/zoneinfo}
own() { "$zoneinf_program" --zoneinfo "$test_zoneinfo" --windows-zones "$test_mapping" "$@"; }

. "$(dirname "$0")/../../../tests/lib/wine_test_lib.sh"
start_wine_test "$6"
mkdir -p "$work/tool"
cp "$zonechange" "$settz" "$work/tool/"
cp "$zone_time_check" "$work/"

refused_naming() { # ZONE KEY FROM: status 2, KEY named first with FROM
    status_is 2 own "$1" &&
        grep -qF "keys whose zone agrees with $1: '$2' from $3" "$work/last.out"
}
check "America/Vancouver refused, naming 'Yukon Standard Time' from 2026-03-08" \
    refused_naming America/Vancouver "Yukon Standard Time" 2026-03-08T10:00:00Z
check "America/Edmonton refused, naming 'Canada Central Standard Time' from 2026-03-08" \
    refused_naming America/Edmonton "Canada Central Standard Time" 2026-03-08T09:00:00Z
check "America/Winnipeg refused, naming 'SA Pacific Standard Time' from 2026-03-08" \
    refused_naming America/Winnipeg "SA Pacific Standard Time" 2026-03-08T08:00:00Z

january_2027=1800014400 # 2027-01-15T12:00:00Z
printf 'Cuba Standard Time\t%s\t-18000\n' "$january_2027" >"$work/stale.txt"
check "Wine's own Cuba record gives UTC-5 in January 2027" \
    status_is 0 run_in "$work" "$wine" zone_time_check.exe stale.txt

check "zoneinf writes Cuba's and Yukon's keys from the tests' database" \
    status_is 0 own America/Havana America/Whitehorse -o "$work/tool/cuba-yukon.inf"
check "zoneinf writes Morocco's key from the system's database" \
    status_is 0 "$zoneinf_program" --zoneinfo "$system_zoneinfo" --approximate Africa/Casablanca \
        -o "$work/tool/morocco.inf"
for inf in cuba-yukon.inf morocco.inf; do
    check "zonechange.exe applies $inf from its own folder (status 0)" \
        status_is 0 run_in "$work/tool" "$wine" zonechange.exe /i "$inf" /z "Cuba Standard Time"
done

# What Windows must give: every change of both INFs' years, from the
# database each was written from; and Vancouver's offsets, from the tests'
# database, under Yukon's key from 2026-03-08 on.
vancouver_under_yukon() {
    local at
    for at in 1772964000 1777000000 1793000000 1800014400 1815000000 2000000000 2145916799; do
        local offset
        offset=$(TZDIR=$test_zoneinfo TZ=America/Vancouver date -d "@$at" +%z)
        printf 'Yukon Standard Time\t%s\t%s\n' "$at" $(((${offset:0:1}1) * (10#${offset:1:2} * 3600)))
    done
}
{
    "$expectations" "$work/tool/cuba-yukon.inf" "$test_zoneinfo"
    "$expectations" "$work/tool/morocco.inf" "$system_zoneinfo"
    vancouver_under_yukon
} >"$work/expected.txt"
check "the databases' local times computed ($(wc -l <"$work/expected.txt") instants)" \
    eval '[ "$(grep -c "^Cuba Standard Time" "$work/expected.txt")" -gt 0 ] &&
          [ "$(grep -c "^Morocco Standard Time" "$work/expected.txt")" -gt 0 ]'
check "Windows' own functions give them all" status_is 0 run_in "$work" "$wine" zone_time_check.exe expected.txt
printf 'Cuba Standard Time\t%s\t-14400\n' "$january_2027" >"$work/cuba.txt"
check "Cuba now keeps UTC-4 in January 2027" status_is 0 run_in "$work" "$wine" zone_time_check.exe cuba.txt

# The system's release decides Vancouver: from the release that keeps
# UTC-07:00 all year, it leaves Los Angeles's key.
release=$(sed -n '1s/^# version //p' "$system_zoneinfo/tzdata.zi")
vancouver_january=$(TZDIR=$system_zoneinfo TZ=America/Vancouver date -d "@$january_2027" +%z)
if [ "$vancouver_january" = -0700 ]; then
    check "tzdata $release: America/Vancouver refused from 2026, naming 'Yukon Standard Time'" \
        eval 'status_is 2 "$zoneinf_program" --zoneinfo "$system_zoneinfo" America/Vancouver --from 2026 &&
              grep -qF "keys whose zone agrees with America/Vancouver: '"'Yukon Standard Time'"' from 2026-" "$work/last.out"'
else
    check "tzdata $release: America/Vancouver still on Los Angeles's time, written for 2026-2037" \
        status_is 0 "$zoneinf_program" --zoneinfo "$system_zoneinfo" America/Vancouver --from 2026 \
            -o "$work/vancouver.inf"
fi

report_checks
