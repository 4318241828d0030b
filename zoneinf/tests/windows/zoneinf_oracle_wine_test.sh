#!/usr/bin/env bash
# zoneinf's reading of Windows records held to Windows' own functions, as
# Wine implements them, in a fresh prefix of its own. zoneinf --all
# --approximate writes every key's records for 1970-2037; the real
# zonechange.exe applies them; on the host, zoneinf's evaluator reads the
# same INF bytes and gives, for every key and year, the offset at the start
# of the year, around each change (one second before, at, one second
# after) of the database or of the records, between changes and at the
# year's end. One Wine process asks GetTimeZoneInformationForYear and
# SystemTimeToTzSpecificLocalTime for the same instants.
#  - Wine gives the evaluator's offset at every instant, except in the
#    years Wine reads otherwise than Windows documents: both changes in one
#    month, or a year outside FirstEntry..LastEntry whose nearest entry is
#    not TZI. Those are counted by class, and any other difference fails.
#  - In the years the INF's head does not list as approximated, the
#    evaluator gives the database's offset.
# The database is the system's (or ZONEINF_TEST_SYSTEM_ZONEINFO), whatever
# its release: every expected offset is computed from it.
# Usage: zoneinf_oracle_wine_test.sh ZONEINF RECORD_OFFSETS ZONECHANGE_EXE SETTZ_EXE ZONE_TIME_CHECK_EXE WORK_DIR
set -u
zoneinf_program=$1 record_offsets=$2 zonechange=$3 settz=$4 zone_time_check=$5
zoneinfo=${ZONEINF_TEST_SYSTEM_ZONEINFO:-/usr/share/zoneinfo}
first=1970 last=2037
. "$(dirname "$0")/../../../tests/lib/wine_test_lib.sh"
start_wine_test "$6"
mkdir -p "$work/tool"
cp "$zonechange" "$settz" "$work/tool/"
cp "$zone_time_check" "$work/"

check "zoneinf --all --approximate writes every key's records for $first-$last" \
    status_is 0 "$zoneinf_program" --zoneinfo "$zoneinfo" --all --approximate --from $first --to $last \
        -o "$work/tool/all.inf"
check "zonechange.exe applies them (status 0)" \
    status_is 0 run_in "$work/tool" "$wine" zonechange.exe /i all.inf /z "Paraguay Standard Time"
check "zoneinf's evaluator reads the INF's bytes" \
    eval '"$record_offsets" "$work/tool/all.inf" "$zoneinfo" $first $last >"$work/claimed.txt"'
check "Windows' functions under Wine answer for the same instants" \
    status_is 0 run_in "$work" "$wine" zone_time_check.exe --offsets claimed.txt wine.txt

# One line per instant: the evaluator's claim, the database's offset (or
# "-"), the class of the year, the year, then Wine's answer for the same
# instant. The known differences are listed by key and year.
compare() {
    paste "$work/claimed.txt" "$work/wine.txt" | awk -F '\t' '
        $1 != $7 || $2 != $8 { print "        line " NR ": instants out of step"; bad++; exit }
        { keys[$1] = 1; instants++ }
        $4 != "-" && $3 != $4 { exact_bad++; if (exact_bad <= 10) print "        " $1 " at " $2 ": evaluator " $3 " s, database " $4 " s" }
        $3 != $9 && $5 != "-" { known[$5]++; if (!(($1 " " $6) in listed)) { listed[$1 " " $6]; print "        known, " $5 ": " $1 " " $6 } }
        $3 != $9 && $5 == "-" { wine_bad++; if (wine_bad <= 10) print "        " $1 " at " $2 ": evaluator " $3 " s, Wine " $9 }
        END {
            n = 0; for (k in keys) n++
            printf "        %d keys, %d instants; differ from Wine: %d one-month, %d outside-entries, %d other; from the database: %d\n",
                n, instants, known["one-month"], known["outside-entries"], wine_bad, exact_bad
            exit (bad + wine_bad + exact_bad > 0 || instants == 0)
        }'
}
keys=$(grep -c '^;   [^ ]* -> ' "$work/tool/all.inf")
check "Wine gives the evaluator's offsets at every instant of every key ($keys), but in the known classes" compare
check "  ... and every key was asked about" \
    eval '[ "$(cut -f1 "$work/claimed.txt" | sort -u | wc -l)" -eq "$keys" ]'

report_checks
