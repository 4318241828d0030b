#!/usr/bin/env bash
# zoneinf.exe under Wine, in a fresh prefix of its own, held to the Linux
# build of the same sources:
#  - --check of the live registry gives the very lines the Linux build
#    gives for that prefix's export (Time Zones and TimeZoneInformation);
#  - both write byte-identical INFs;
#  - the real zonechange.exe applies zoneinf.exe's INF, and the zones the
#    check flagged are gone;
#  - names outside ASCII and devices work as file names;
#  - its --version, its file properties, its zip's name and VERSION.txt
#    name the release of the tree it was built from.
# The Linux build reads that tree (ZONEINFO_DIR, the build's
# ZONEINF_ZONEINFO_DIR), so both read one release, whichever it is.
# Usage: zoneinf_exe_wine_test.sh ZONEINF ZONEINF_EXE ZONECHANGE_EXE SETTZ_EXE WORK_DIR ZONEINFO_DIR ZIP_DIR
set -u
zoneinf_program=$1 zoneinf_exe=$2 zonechange=$3 settz=$4 work=$5 zoneinfo=$6 zip_dir=$7
zoneinf() { "$zoneinf_program" --zoneinfo "$zoneinfo" "$@"; }

export LC_ALL=C.UTF-8  # Wine passes UTF-8 arguments on as UTF-16
. "$(dirname "$0")/../../../tests/lib/wine_test_lib.sh"
start_wine_test "$work"
mkdir -p "$work/tool"
cp "$zoneinf_exe" "$zonechange" "$settz" "$work/tool/"

in_tool() { (cd "$work/tool" && "$wine" "$@"); }
exe() { in_tool zoneinf.exe "$@"; }
# Same output and status: LINUX_ARGS -- EXE_ARGS
same_as_linux() {
    local split linux_status=0 exe_status=0
    for split in $(seq $#); do [ "${!split}" = -- ] && break; done
    (cd "$work/tool" && zoneinf "${@:1:split-1}") >"$work/linux.out" 2>&1 || linux_status=$?
    exe "${@:split+1}" >"$work/exe.out" 2>&1 || exe_status=$?
    [ "$linux_status" -eq "$exe_status" ] || { echo "        status $linux_status on Linux, $exe_status under Wine"; return 1; }
    cmp -s "$work/linux.out" "$work/exe.out" || { diff "$work/linux.out" "$work/exe.out" | head -n 8 | sed 's/^/        | /'; return 1; }
}
same_files() { cmp "$work/tool/$1" "$work/tool/$2"; }
lines_named_for() { # FILE REPORT: each flagged line appears in REPORT after "FILE: "
    local line
    while IFS= read -r line; do
        grep -qF "$1: $line" "$work/$2" || { echo "        no line \"$1: $line...\""; return 1; }
    done <"$work/flagged.txt"
}

check "the prefix's keys exported as a fleet collects them" export_zones tool/before.reg --with-zone-in-force
check "--check of the live registry: the Linux build's lines for its export" \
    same_as_linux --check before.reg -- --check
sed -n 's/^\(.*  from \).*/\1/p' "$work/exe.out" >"$work/flagged.txt"  # "KEY  ZONE  from "
check "  ... with status 1 exactly when they flag zones ($(wc -l <"$work/flagged.txt") flagged)" \
    status_is "$([ -s "$work/flagged.txt" ] && echo 1 || echo 0)" exe --check
check "  ... and name the machine's zone" grep -q '^current zone .*: ' "$work/exe.out"
current=$(sed -n 's/^current zone \(.*\): .*/\1/p' "$work/exe.out")

for zones in "America/Asuncion" "Europe/Volgograd Asia/Jerusalem --from 2000" "--approximate Africa/Casablanca --to 2030"; do
    # shellcheck disable=SC2086
    check "INFs byte for byte: $zones" same_as_linux $zones -- $zones
done
check "INFs byte for byte: --all --approximate, written with -o" \
    sh -c "cd '$work/tool' && '$wine' zoneinf.exe --all --approximate -o all.inf && mv all.inf exe.inf &&
           '$zoneinf_program' --zoneinfo '$zoneinfo' --all --approximate -o all.inf && mv all.inf linux.inf"
check "  ... the same bytes" same_files linux.inf exe.inf
release=$(sed -n '1s/^# version //p' "$zoneinfo/tzdata.zi")
zips=("$zip_dir"/zoneinf-*-win64.zip)
check "--version names the release of $zoneinfo, built in" \
    sh -c "cd '$work/tool' && '$wine' zoneinf.exe --version | tr -d '\r' >'$work/version.txt' &&
           grep -qx 'tzdata $release (built in)' '$work/version.txt' && grep -q '^CLDR .*built in' '$work/version.txt'"
check "one zip, named for it: zoneinf-<version>-tzdata$release-win64.zip" \
    eval '[ ${#zips[@]} = 1 ] && [[ ${zips[0]##*/} == zoneinf-*-tzdata$release-win64.zip ]]'
check "  ... whose VERSION.txt holds what --version prints" \
    eval 'unzip -p "${zips[0]}" VERSION.txt | cmp -s - "$work/version.txt"'
check "  ... and whose zoneinf.exe is this one" eval 'unzip -p "${zips[0]}" zoneinf.exe | cmp -s - "$zoneinf_exe"'
check "its file properties name it too (ProductVersion)" \
    eval 'strings -el "$zoneinf_exe" | grep -A1 -x ProductVersion | grep -qx "[0-9.]* (tzdata $release, CLDR [0-9.]*)"'

mv "$work/tool/exe.inf" "$work/tool/all.inf"
check "zonechange.exe applies zoneinf.exe's INF, re-selecting '$current' (status 0)" \
    status_is 0 in_tool zonechange.exe /i all.inf /z "$current"
check "the live check now flags none of the $(wc -l <"$work/flagged.txt") zones it flagged" \
    sh -c "cd '$work/tool' && '$wine' zoneinf.exe --check >'$work/after.out'; ! grep -q -F -f '$work/flagged.txt' '$work/after.out'"
check "  ... and passes (status 0)" status_is 0 exe --check

check "a name outside ASCII: -o zoñas/año.inf" \
    sh -c "mkdir -p '$work/tool/zoñas' && cd '$work/tool' && '$wine' zoneinf.exe UTC -o zoñas/año.inf && test -s zoñas/año.inf"
check "  ... and --check of it" status_is 0 exe --check zoñas/año.inf
check "-o NUL writes to the device, makes no file" \
    sh -c "cd '$work/tool' && '$wine' zoneinf.exe UTC -o NUL && ! ls | grep -qi '^nul\|zoneinf-'"
check "several files: a grep-style report, the summary, the worst status (3)" \
    sh -c "cd '$work/tool' && '$wine' zoneinf.exe --check before.reg zoñas/año.inf missing.reg >'$work/fleet.out' 2>&1;
           [ \$? -eq 3 ] && grep -q '^3 files: 2 checked, 1 unreadable' '$work/fleet.out'"
check "  ... each line naming its file, for the zones flagged before" lines_named_for before.reg fleet.out

cp "$work/tool/before.reg" "$work/tool/again.reg"
echo 'not an export' >"$work/tool/not-an-export.reg"
check "a wildcard names the files, as cmd leaves it to the program" \
    sh -c "cd '$work/tool' && '$wine' cmd /c 'zoneinf.exe --check *.reg' >'$work/glob.out';
           grep -q '^3 files: 2 checked, 1 unreadable' '$work/glob.out'"

report_checks
