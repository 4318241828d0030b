#!/usr/bin/env bash
# The kit's .cmd scripts end to end under Wine, in a fresh prefix of their
# own. The kit's zip is unpacked into "C:\Program Files (x86)\Zona Horaria"
# (blanks and brackets), with the 64-bit zonechange.exe for the 32-bit one
# (this machine runs no 32-bit program) and a test build of settz.exe that
# writes the record it selects as the zone in force, as Windows does (Wine's
# SetDynamicTimeZoneInformation aborts). Each script is started by its full
# path from another folder, as a deployment tool starts it.
#
# The machine: Wine follows the host's zone, TZ=Europe/Paris read from the
# tree zoneinf.exe carries, and names the zone in force itself (Central
# Europe Standard Time, the first key whose record matches); its active
# record is set to that zone's with daylight time from April, as if its
# definitions had changed without the zone being selected again.
#   - failing installs (a file missing, zonas.inf not an INF, no zone in
#     force) end with the failing step's status and leave nothing;
#   - install.cmd copies the kit, keeps the export and undo.inf, applies
#     zonas.inf and selects the zone in force again (its record is then the
#     one Windows would set from the new definitions);
#   - detect.cmd fails before and passes after; the clock in force put
#     wrong again (automatic DST off) fails it and remediate.cmd mends it;
#     remediate.cmd with a settz.exe that cannot select fails with 1;
#   - uninstall.cmd leaves Time Zones and zonechange's trace as they were,
#     value for value, and removes the installed copy.
# The checks that need zoneinf's --zones, --since and --output-encoding
# are skipped, and said so, while zoneinf.exe lacks them.
# Usage: kit_wine_test.sh WORK_DIR BINARY_DIR VERSION ZONECHANGE_EXE SETTZ_EXE REGISTRY_SETTZ_EXE ZONEINFO_DIR
set -u
work=$1 binary_dir=$2 version=$3 zonechange=$4 settz=$5 registry_settz=$6 zoneinfo=$7
. "$(dirname "$0")/../lib/wine_test_lib.sh"
. "$scripts/registry-values.sh"

start_wine_test "$work"
mkdir -p "$work/real"
export TZ=Europe/Paris TZDIR=$zoneinfo
cp "$settz" "$work/real/"

drive=$WINEPREFIX/drive_c
kit="$drive/Program Files (x86)/Zona Horaria"
kit_win='C:\Program Files (x86)\Zona Horaria'
installed="$drive/Program Files/zonechange"
installed_win='C:\Program Files\zonechange'
log="$drive/ProgramData/zonechange/zonechange.log"
active='HKLM\SYSTEM\CurrentControlSet\Control\TimeZoneInformation'
work_win="Z:${work//\//\\}"

# Runs a kit script by its full path, from the work folder, through cmd /c
# as a deployment tool does; its output without CRs in $work/out, its whole
# status in $status.
printf '@echo off\r\ncmd /c "%%*"\r\necho kit-test-status %%ERRORLEVEL%%\r\n' >"$work/run.cmd"
run_script() {
    (cd "$work" && timeout 300 "$wine" "$work_win\\run.cmd" "$1" >"$work/out.raw" 2>&1)
    tr -d '\r' <"$work/out.raw" >"$work/out"
    status=$(sed -n 's/^kit-test-status //p' "$work/out" | tail -n 1)
}
status_was() { [ "$status" = "$1" ]; }

# The record Windows would set for a zone, from its definitions as they are.
preview() { # KEY OUTPUT
    "$wine" "$work/real/settz.exe" /n /s "$1" 2>/dev/null | tr -d '\r' >"$2"
}
field() { sed -n "s/^$1=//p" "$2"; }
dword() { printf '0x%08x' $(( $1 & 0xffffffff )); }
date_hex() { # SYSTEMTIME members "y,m,dow,d,h,min,s,ms" as the 16 bytes Windows stores
    local member hex=""
    for member in ${1//,/ }; do
        hex+=$(printf '%02x%02x' $((member & 0xff)) $((member >> 8)))
    done
    echo "$hex"
}
# The zone in force's record as "Name=value" lines, from a preview or the registry.
record_of_preview() { # PREVIEW_FILE [DISABLED]
    echo "Bias=$(dword "$(field Bias "$1")")"
    echo "DaylightBias=$(dword "$(field DaylightBias "$1")")"
    echo "DaylightStart=$(date_hex "$(field DaylightDate "$1")")"
    echo "DynamicDaylightTimeDisabled=$(dword "${2:-0}")"
    echo "StandardBias=$(dword "$(field StandardBias "$1")")"
    echo "StandardStart=$(date_hex "$(field StandardDate "$1")")"
}
record_in_force() {
    "$wine" reg query "$active" 2>/dev/null | tr -d '\r' | while read -r name type value; do
        case $name in
        Bias | DaylightBias | DynamicDaylightTimeDisabled | StandardBias) printf '%s=0x%08x\n' "$name" "$value" ;;
        DaylightStart | StandardStart) echo "$name=${value,,}" ;;
        esac
    done | LC_ALL=C sort
}
set_record_in_force() { # RECORD_LINES_FILE
    local name value type
    while IFS='=' read -r name value; do
        type=REG_DWORD
        case $name in *Start) type=REG_BINARY ;; esac
        "$wine" reg add "$active" /v "$name" /t "$type" /d "$value" /f >/dev/null 2>&1 || return 1
    done <"$1"
}
# Waits up to 30 seconds for the record in force to be the one in FILE
# (settz.exe runs after zonechange.exe has ended).
record_becomes() {
    local i
    for i in $(seq 30); do
        diff <(record_in_force) "$1" >/dev/null && return 0
        sleep 1
    done
    diff <(record_in_force) "$1" | sed 's/^/        | /'
    return 1
}
export_state() { # NAME: Time Zones, and zonechange's trace in both registry views
    export_zones "$1-zones.reg" || return 1
    rm -f "$work/$1-trace"*.reg
    for view in 32 64; do
        (cd "$work" && "$wine" reg export 'HKLM\SOFTWARE\zonechange' "$1-trace$view.reg" /y /reg:$view >/dev/null 2>&1)
    done
    "$wineserver" -w
    registry_values "$work/$1"-*.reg >"$work/$1.values"
}

# The kit, unpacked into a folder with blanks.
zips=("$binary_dir"/zonechange-"$version"-tzdata*-kit.zip)
check "one kit zip: ${zips[*]##*/}" test "${#zips[@]}" = 1 -a -f "${zips[0]}"
mkdir -p "$kit"
check "the kit unpacked into $kit_win" eval '(cd "$kit" && cmake -E tar xf "${zips[0]}") && [ -f "$kit/install.cmd" ]'
cp "$zonechange" "$kit/zonechange.exe"
cp "$registry_settz" "$kit/settz.exe"

fleet=false
if "$wine" "$kit/zoneinf.exe" --help 2>/dev/null | tr -d '\r' >"$work/help.txt" &&
    grep -q -- '--zones' "$work/help.txt" && grep -q -- '--since' "$work/help.txt" &&
    grep -q -- '--output-encoding' "$work/help.txt"; then
    fleet=true
fi
# A check of the zone in force through the scripts' own zoneinf.exe call.
fleet_check() {
    if $fleet; then
        check "$@"
    else
        skip_check "$1" "zoneinf.exe has no --zones, --since or --output-encoding yet"
    fi
}

# The machine: its zone in force, and that zone's record not selected again.
zone=$("$wine" "$kit/settz.exe" /g 2>/dev/null | tr -d '\r')
check "Wine names the zone in force for TZ=$TZ: \"$zone\"" test -n "$zone"
preview "$zone" "$work/before.preview"
record_of_preview "$work/before.preview" >"$work/record.txt"
sed 's/^\(DaylightStart=....\)0300/\10400/' "$work/record.txt" >"$work/stale-record.txt"
check "its record in force: the zone's own, but daylight time from April" \
    eval '! cmp -s "$work/record.txt" "$work/stale-record.txt" && set_record_in_force "$work/stale-record.txt" &&
          diff <(record_in_force) "$work/stale-record.txt" >/dev/null'
check "Time Zones and zonechange's trace exported before the kit" export_state before

run_script "$kit_win\\detect.cmd"
check "detect.cmd before the install: status 2, the kit is not installed (got $status)" status_was 2
status=0
(cd "$kit" && "$wine" zoneinf.exe --check --zones=current >/dev/null 2>&1) || status=$?
fleet_check "zoneinf.exe --check --zones=current on that machine: status 1 (got $status)" status_was 1

# Failing installs: the failing step's status, and nothing left behind.
unchanged() {
    [ ! -e "$installed" ] && export_state now && cmp -s "$work/before.values" "$work/now.values"
}
faulty_kit() { # NAME: a copy of the kit beside it
    rm -rf "$drive/Program Files (x86)/$1"
    cp -r "$kit" "$drive/Program Files (x86)/$1"
}
faulty_kit "Kit sin zonas"
rm "$drive/Program Files (x86)/Kit sin zonas/zonas.inf"
run_script 'C:\Program Files (x86)\Kit sin zonas\install.cmd'
check "install.cmd without zonas.inf: status 2 (got $status), the log names it, nothing changed" \
    eval 'status_was 2 && grep -q "falta zonas.inf" "$log" && unchanged'

faulty_kit "Kit con INF roto"
printf 'not an INF at all\r\n' >"$drive/Program Files (x86)/Kit con INF roto/zonas.inf"
# zonechange.exe's own status for it, read whole through cmd.
printf '@echo off\r\n"%%~dp0zonechange.exe" /i zonas.inf /z x >nul 2>&1\r\nexit /b %%ERRORLEVEL%%\r\n' \
    >"$drive/Program Files (x86)/Kit con INF roto/status.cmd"
run_script 'C:\Program Files (x86)\Kit con INF roto\status.cmd'
inf_status=$status
run_script 'C:\Program Files (x86)\Kit con INF roto\install.cmd'
check "install.cmd with a zonas.inf that is no INF: zonechange.exe's status $inf_status (got $status), nothing changed" \
    eval '[ -n "$inf_status" ] && [ "$inf_status" != 0 ] && status_was "$inf_status" && unchanged'

TZ='<+0133>-1:33' run_script "$kit_win\\install.cmd"
check "install.cmd where Wine names no zone in force: settz.exe /g's 13 (got $status), nothing changed" \
    eval 'status_was 13 && unchanged'

# The install.
run_script "$kit_win\\install.cmd"
install_status=$status
sed 's/^/        | /' "$work/out"
installed_copy() {
    local file
    for file in zonechange.exe settz.exe zoneinf.exe zonas.inf detect.cmd zonechange-kit.cmd detect.ps1; do
        cmp -s "$kit/$file" "$installed/$file" || return 1
    done
}
check "install.cmd copied the kit to $installed_win" installed_copy
check "  ... kept the export taken before and wrote undo.inf from it" \
    eval '[ -s "$installed/export-before.reg" ] && [ -s "$installed/undo.inf" ]'
check "  ... logged its steps in C:\\ProgramData\\zonechange\\zonechange.log" \
    grep -q "install: zona en vigor: $zone" "$log"
preview "$zone" "$work/after.preview"
record_of_preview "$work/after.preview" >"$work/new-record.txt"
check "  ... and $zone was selected again: its record in force is the one of its new definitions" \
    record_becomes "$work/new-record.txt"
fleet_check "install.cmd: status 0 (got $install_status)" test "$install_status" = 0
check "zoneinf.exe --check of the machine: every zone sound, the current one too" \
    eval '"$wine" "$installed/zoneinf.exe" --check 2>/dev/null | tr -d "\r" | grep -qx "current zone $zone: sound"'

run_script "$installed_win\\detect.cmd"
fleet_check "detect.cmd after the install: status 0 (got $status)" status_was 0

# The clock in force put wrong again, each way, and mended.
record_of_preview "$work/after.preview" 1 >"$work/dst-off-record.txt"
sed 's/^\(DaylightStart=....\)0300/\10400/' "$work/new-record.txt" >"$work/not-reselected-record.txt"
for drift in not-reselected dst-off; do
    set_record_in_force "$work/$drift-record.txt"
    run_script "$installed_win\\detect.cmd"
    fleet_check "$drift: detect.cmd status 1 (got $status)" status_was 1
    run_script "$kit_win\\remediate.cmd"
    remediate_status=$status
    check "  ... remediate.cmd selects the zone again: its record in force is right" record_becomes "$work/new-record.txt"
    fleet_check "  ... remediate.cmd status 0 (got $remediate_status)" test "$remediate_status" = 0
    run_script "$installed_win\\detect.cmd"
    fleet_check "  ... then detect.cmd status 0 (got $status)" status_was 0
done

# A zone setter that cannot select (the real settz.exe, refused the
# privilege under Wine): remediate.cmd waits, then fails.
cp "$work/real/settz.exe" "$installed/settz.exe"
set_record_in_force "$work/dst-off-record.txt"
run_script "$installed_win\\remediate.cmd"
fleet_check "remediate.cmd whose settz.exe cannot select: status 1 (got $status)" status_was 1
cp "$kit/settz.exe" "$installed/settz.exe"

# The way back.
run_script "$kit_win\\uninstall.cmd"
check "uninstall.cmd: status 0 (got $status)" status_was 0
check "  ... removed $installed_win" test ! -e "$installed"
check "  ... Time Zones and zonechange's trace are as before the install, value for value" \
    eval 'export_state undone && diff "$work/before.values" "$work/undone.values" >"$work/diff.txt"'
sed 's/^/        | /' "$work/diff.txt" 2>/dev/null | head -n 20
run_script "$kit_win\\uninstall.cmd"
check "uninstall.cmd again: status 0, nothing to undo (got $status)" status_was 0

report_checks
