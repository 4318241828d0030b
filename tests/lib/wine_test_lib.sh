# Sourced by the end-to-end tests under Wine (tests/windows, tests/kit,
# zoneinf/tests/windows): what each of them needs before its checks.
#   start_wine_test WORK  empties WORK and gives the test a Wine prefix of
#                         its own there (WORK/wineprefix, exported as
#                         WINEPREFIX), whose wineserver, and only that one,
#                         is stopped when the script ends; sets $work
#   check NAME COMMAND..., skip_check NAME WHY, report_checks
#                         (scripts/check-lines.sh)
#   status_is EXPECTED COMMAND...
#                         runs the command, its output in $work/last.out
#                         (its first 20 lines shown), and compares its status
#   run_in DIR COMMAND... runs the command in DIR
#   export_zones NAME [--with-zone-in-force]
#                         the prefix's Time Zones key in $work/NAME, exported
#                         with Wine's own reg as an administrator exports a
#                         machine's (UTF-16 with a byte-order mark); with
#                         --with-zone-in-force, the TimeZoneInformation key's
#                         export follows it in the same file, as a fleet
#                         collects a machine's two keys
# $scripts is the repository's scripts folder; $wine and $wineserver come
# from its wine-tool-folder.sh.
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)
. "$scripts/wine-tool-folder.sh"
. "$scripts/check-lines.sh"

start_wine_test() {
    work=$1
    rm -rf "$work"
    mkdir -p "$work"
    use_wine_prefix "$work/wineprefix" >/dev/null
    trap '"$wineserver" -k 2>/dev/null; true' EXIT
}

status_is() {
    local expected=$1 status=0
    shift
    "$@" >"$work/last.out" 2>&1 || status=$?
    sed 's/^/        | /' "$work/last.out" | head -n 20
    [ "$status" -eq "$expected" ] || { echo "        status $status, expected $expected"; return 1; }
}

run_in() { (cd "$1" && shift && "$@"); }

export_zones() {
    "$scripts/export-wine-time-zones.sh" "$work/$1" "$WINEPREFIX" >/dev/null || return 1
    [ "${2:-}" = --with-zone-in-force ] || return 0
    (cd "$work" && "$wine" reg export 'HKLM\SYSTEM\CurrentControlSet\Control\TimeZoneInformation' \
        zone-in-force.reg /y >/dev/null 2>&1) &&
        "$wineserver" -w &&
        cat "$work/zone-in-force.reg" >>"$work/$1" &&
        rm "$work/zone-in-force.reg"
}
