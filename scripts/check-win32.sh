#!/usr/bin/env bash
# Runs the shipping 32-bit programs themselves before a release: under
# Debian's 32-bit Wine, which this kernel can only start through qemu user
# emulation, in a 32-bit prefix under build/, all in one cmd.exe session
# (every Windows process start costs about 45 s here). zonechange.exe runs
# with the 32-bit recording stand-in for settz.exe beside it; the real
# 32-bit settz.exe previews a zone (/n) and prints the zone in force (/g).
# Slow: about 30 minutes with a new prefix (creating it takes 15 to 20 under
# emulation on a busy machine). Needs root.
#
# It installs what is missing, registers the qemu handler for 32-bit x86
# programs only for its own run (mounting binfmt_misc if it is not), and
# removes what it set up when it ends, also on failure or interrupt.
# Every wait is bounded: a stuck Windows process is ended, its checks fail,
# and the run goes on. Each check's line is printed as soon as its result is
# known, then "N passed, M failed"; exits 1 when a check failed, 2 when it
# could not run them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$SECONDS

# Limits, in seconds, for the slow steps under emulation.
prefix_limit=1500    # creating the prefix (measured: several minutes)
session_limit=1800   # the session: eight program starts and their cmd.exe
settle_limit=120     # the prefix's last processes after the session

say() {
    local elapsed=$((SECONDS - started))
    printf '[%02d:%02d] %s\n' $((elapsed / 60)) $((elapsed % 60)) "$*"
}

if [ "$(id -u)" -ne 0 ]; then
    echo "check-win32.sh: must run as root (it installs packages and registers a binfmt_misc handler)" >&2
    exit 2
fi

binfmt=/proc/sys/fs/binfmt_misc
handler=zonechange-qemu-i386
mounted_binfmt=false
registered=false
work=$root/build/win32-check
export WINEPREFIX=$work/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The session's zone: Wine follows the host's TZ.
export TZ=Europe/Paris
. scripts/wine-tool-folder.sh
# Debian's 32-bit loader (wine32:i386) lies beside the server.
wine=$(dirname "$wineserver")/wine

# Ends the prefix's processes, bounded; the server saves the registry as it goes.
end_prefix() {
    if [ -d "$WINEPREFIX" ]; then
        timeout 60 "$wineserver" -k 2>/dev/null || true
        timeout 30 "$wineserver" -w 2>/dev/null || true
    fi
}

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    end_prefix
    if $registered && [ -e "$binfmt/$handler" ]; then
        echo -1 >"$binfmt/$handler"
        say "removed the qemu handler this run registered"
    fi
    if $mounted_binfmt; then
        umount "$binfmt"
        say "unmounted binfmt_misc, which this run mounted"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT
trap 'say "terminated"; exit 143' TERM

say "installing what is missing (MinGW-w64 and Wine for the build; i386 architecture, wine32, qemu-user-static)"
scripts/install-deps.sh >/dev/null
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@" >/dev/null; }
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt_get update
fi
missing=()
for package in wine32:i386 qemu-user-static; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} > 0)); then
    apt_get update
    apt_get install -y --no-install-recommends "${missing[@]}"
fi

say "building the 32-bit programs and the 32-bit stand-in zone setter"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zonechange settz zone_setter_stub >/dev/null

say "registering qemu for 32-bit x86 programs"
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt"
    mounted_binfmt=true
fi
if grep -qs '^interpreter .*qemu-i386' "$binfmt"/* && grep -qs '^enabled' "$binfmt"/*; then
    say "  a qemu handler for 32-bit x86 is already registered: using it as it is"
else
    # The usual magic and mask for i386 ELF executables; F opens qemu now.
    printf '%s' ":$handler:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F" >"$binfmt/register"
    registered=true
fi

session=$work/session
tool=$session/tool
no_setter="$session/sin settz"
rm -rf "$session"
mkdir -p "$tool" "$no_setter" "$session/settz"
cp build/win32/zonechange.exe build/win32/e2e-bin/settz.exe examples/zona.inf "$tool/"
cp build/win32/zonechange.exe examples/zona.inf "$no_setter/"
cp build/win32/settz.exe "$session/settz/"
# Each run leaves its standard output and error and its status beside the
# tool folders; the status is read whole on the Windows side.
printf '%s\r\n' \
    '@echo off' \
    'cd /d "%~dp0tool"' \
    'zonechange.exe /i zona.inf /z "Romance Standard Time" >..\example.out 2>..\example.err' \
    '>..\example.status echo %ERRORLEVEL%' \
    'zonechange.exe /i missing.inf /z UTC >..\missing-inf.out 2>..\missing-inf.err' \
    '>..\missing-inf.status echo %ERRORLEVEL%' \
    'zonechange.exe /i zona.inf >..\missing-argument.out 2>..\missing-argument.err' \
    '>..\missing-argument.status echo %ERRORLEVEL%' \
    'cd /d "%~dp0sin settz"' \
    'zonechange.exe /i zona.inf /z UTC >..\missing-setter.out 2>..\missing-setter.err' \
    '>..\missing-setter.status echo %ERRORLEVEL%' \
    'cd /d "%~dp0settz"' \
    'settz.exe /n /s "romance standard time" >..\settz-preview.out 2>..\settz-preview.err' \
    '>..\settz-preview.status echo %ERRORLEVEL%' \
    'settz.exe /g >..\settz-current.out 2>..\settz-current.err' \
    '>..\settz-current.status echo %ERRORLEVEL%' >"$session/session.cmd"

. scripts/check-lines.sh
status_of() { [ -f "$session/$1.status" ] && tr -d '\r\n ' <"$session/$1.status"; }
is_empty() { [ -f "$session/$1" ] && [ ! -s "$session/$1" ]; }
windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }
registry_has() { tr -d '\r' <"$WINEPREFIX/user.reg" 2>/dev/null | grep -A5 -F '[Software\\ZonechangeEjemplo]' | grep -qxF "$1"; }

# The checks, in groups, each printed once the file it waits for is there.
check_example() {
    check "example INF: the INI entry written" \
        grep -qx 'Nombre=Romance Standard Time' <(tr -d '\r' <"$tool/zonechange.ini" 2>/dev/null)
    check "example: exit status 0" test "$(status_of example)" = 0
    check "example: nothing printed" eval 'is_empty example.out && is_empty example.err'
}
check_example_setter() {
    local expected_record
    expected_record="command=$(windows_path "$tool")\\settz.exe /q /s \"Romance Standard Time\""$'\n'"flags=1"$'\n'"show=0"$'\n'
    check "example: the zone setter's exact command line, started hidden" \
        test "$(cat "$tool/settz-record.txt" 2>/dev/null; echo .)" = "$expected_record."
}
check_missing_inf() {
    check "missing INF: exit status 2" test "$(status_of missing-inf)" = 2
    check "missing INF: nothing printed" eval 'is_empty missing-inf.out && is_empty missing-inf.err'
}
check_missing_argument() {
    check "missing argument: refused with 160" test "$(status_of missing-argument)" = 160
    check "missing argument: nothing on standard output" is_empty missing-argument.out
}
check_missing_setter() {
    check "missing zone setter: exit status 0" test "$(status_of missing-setter)" = 0
    check "missing zone setter: the message once, ending in CR LF" \
        cmp -s "$session/missing-setter.out" <(printf 'Error al cambiar de zona horaria, intente manualmente.\r\n')
}
check_settz_preview() {
    check "settz.exe /n: exit status 0, nothing on standard error" \
        eval 'test "$(status_of settz-preview)" = 0 && is_empty settz-preview.err'
    # Wine's own record for Romance Standard Time: daylight time from the
    # last Sunday of March, 2:00, to the last Sunday of October, 3:00.
    check "settz.exe /n: the key as stored, bias -60, the EU's dates, CR LF lines" \
        cmp -s <(tr -d '\r' <"$session/settz-preview.out" 2>/dev/null | grep -E '^(TimeZoneKeyName|Bias|StandardDate|StandardBias|DaylightDate|DaylightBias|DynamicDaylightTimeDisabled)=') \
        <(printf '%s\n' 'TimeZoneKeyName=Romance Standard Time' Bias=-60 StandardDate=0,10,0,5,3,0,0,0 \
            StandardBias=0 DaylightDate=0,3,0,5,2,0,0,0 DaylightBias=-60 DynamicDaylightTimeDisabled=0)
    check "settz.exe /n: nine lines" test "$(grep -c $'\r$' "$session/settz-preview.out" 2>/dev/null)" = 9
}
check_settz_current() {
    check "settz.exe /g: exit status 0" test "$(status_of settz-current)" = 0
    check "settz.exe /g: the zone Wine reports under TZ=Europe/Paris" \
        cmp -s "$session/settz-current.out" <(printf 'Central Europe Standard Time\r\n')
}
check_registry() {
    check "example INF: the registry value ZonaHoraria set" registry_has '"ZonaHoraria"="Romance Standard Time"'
    check "example INF: the registry value Aplicado set" registry_has '"Aplicado"=dword:00000001'
}
# group, and the file that holds its result once written.
groups=(check_example:example.status check_example_setter:tool/settz-record.txt
        check_missing_inf:missing-inf.status check_missing_argument:missing-argument.status
        check_missing_setter:missing-setter.status check_settz_preview:settz-preview.status
        check_settz_current:settz-current.status)
declare -A checked=()
check_ready_groups() {
    local entry
    for entry in "${groups[@]}"; do
        if [ -z "${checked[${entry%%:*}]:-}" ] && { [ "${1:-}" = all ] || [ -s "$session/${entry#*:}" ]; }; then
            checked[${entry%%:*}]=1
            "${entry%%:*}"
        fi
    done
}

# Runs a command for at most LIMIT seconds, its output kept in
# build/win32-check/<first word of WHAT>.log, checking
# the groups whose results have come in and saying every minute that it
# still runs. Answers the command's status, 124 when it was stopped.
run_bounded() {
    local what=$1 limit=$2
    shift 2
    timeout --kill-after=30 "$limit" "$@" >"$work/${what%% *}.log" 2>&1 &
    local pid=$! ticks=0
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        ticks=$((ticks + 1))
        check_ready_groups
        if ((ticks % 60 == 0)) && kill -0 "$pid" 2>/dev/null; then
            say "  still $what..."
        fi
    done
    local status=0
    wait "$pid" || status=$?
    [ "$status" -ne 124 ] || say "  $what: stopped after $limit s"
    return "$status"
}

# A whole prefix holds the zone definitions wine.inf installs; one whose
# creation was cut short does not, and Wine would finish it inside the
# session's time.
prefix_is_whole() { grep -qF 'Time Zones\\Romance Standard Time]' "$WINEPREFIX/system.reg" 2>/dev/null; }
if ! prefix_is_whole; then
    rm -rf "$WINEPREFIX"
    say "creating the 32-bit Wine prefix in $WINEPREFIX (about 20 minutes under emulation)"
    boot_status=0
    run_bounded "creating the prefix" "$prefix_limit" "$wine" wineboot --init || boot_status=$?
    [ "$boot_status" -eq 0 ] || say "  wineboot ended with status $boot_status"
    # The server writes the prefix's registry when its last process ends;
    # processes that never exit under qemu are ended after a while.
    timeout "$settle_limit" "$wineserver" -w || say "  the new prefix still runs processes: ending them"
    end_prefix
    if [ "$boot_status" -eq 124 ] || [ "$boot_status" -eq 137 ]; then
        # Cut short: a half-made prefix would be taken for a whole one next time.
        rm -rf "$WINEPREFIX"
    fi
fi
check "the 32-bit prefix is whole" prefix_is_whole
say "running the session: zonechange.exe four times and settz.exe twice in one cmd.exe (about 15 minutes)"
# Run in this shell (env -C changes the folder) so that the checks it prints are counted.
run_bounded "running the session" "$session_limit" env -C "$session" "$wine" cmd /c session.cmd || true
say "session over; waiting at most $settle_limit s for the zone setter it started and for the registry"
if ! timeout "$settle_limit" "$wineserver" -w; then
    say "  the prefix still runs processes: ending them"
fi
end_prefix
check_ready_groups all
check_registry

say "done"
report_checks || exit 1
