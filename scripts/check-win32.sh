#!/usr/bin/env bash
# Runs the shipping 32-bit zonechange.exe itself before a release: under
# Debian's 32-bit Wine, which this kernel can only start through qemu user
# emulation, in a 32-bit prefix under build/, with the 32-bit recording
# stand-in for settz.exe, all in one cmd.exe session (every Windows process
# start costs about 45 s here). Slow: about 15 minutes. Needs root.
#
# It installs what is missing, registers the qemu handler for 32-bit x86
# programs only for its own run (mounting binfmt_misc if it is not), and
# removes what it set up when it ends, also on failure or interrupt.
# Prints one line per check and "N passed, M failed"; exits 1 when a check
# failed, 2 when it could not run them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$SECONDS

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
wine=/usr/lib/wine/wine

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    if [ -d "$WINEPREFIX" ]; then
        /usr/lib/wine/wineserver -k 2>/dev/null || true
    fi
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

# Runs a long command, its output discarded, and says every minute that it
# still runs.
run_long() {
    local what=$1
    shift
    "$@" >/dev/null 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        for _ in $(seq 60); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 1
        done
        kill -0 "$pid" 2>/dev/null && say "  still $what..."
    done
    wait "$pid"
}

say "installing what is missing (MinGW-w64 and Wine for the build; i386 architecture, wine32, qemu-user-static)"
scripts/install-deps.sh >/dev/null
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update >/dev/null
fi
missing=()
for package in wine32:i386 qemu-user-static; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} > 0)); then
    apt-get update >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

say "building the 32-bit executable and the 32-bit stand-in zone setter"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zonechange zone_setter_stub >/dev/null

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
mkdir -p "$tool" "$no_setter"
cp build/win32/zonechange.exe build/win32/e2e-bin/settz.exe examples/zona.inf "$tool/"
cp build/win32/zonechange.exe examples/zona.inf "$no_setter/"
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
    '>..\missing-setter.status echo %ERRORLEVEL%' >"$session/session.cmd"

if [ ! -d "$WINEPREFIX" ]; then
    say "creating the 32-bit Wine prefix in $WINEPREFIX (several minutes under emulation)"
    run_long "creating the prefix" "$wine" wineboot --init
fi
say "running the session: the tool four times in one cmd.exe (about 10 minutes)"
(cd "$session" && run_long "running the session" "$wine" cmd /c session.cmd) || true
# Waits for the zone setter the tool left running, and for the registry to be saved.
run_long "waiting for the prefix's last processes" /usr/lib/wine/wineserver -w
say "session over; checking what it left"

. scripts/check-lines.sh
status_of() { [ -f "$session/$1.status" ] && tr -d '\r\n ' <"$session/$1.status"; }
is_empty() { [ -f "$session/$1" ] && [ ! -s "$session/$1" ]; }
windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }
registry_has() { tr -d '\r' <"$WINEPREFIX/user.reg" | grep -A5 -F '[Software\\ZonechangeEjemplo]' | grep -qxF "$1"; }

check "example INF: the registry value ZonaHoraria set" registry_has '"ZonaHoraria"="Romance Standard Time"'
check "example INF: the registry value Aplicado set" registry_has '"Aplicado"=dword:00000001'
check "example INF: the INI entry written" \
    grep -qx 'Nombre=Romance Standard Time' <(tr -d '\r' <"$tool/zonechange.ini" 2>/dev/null)
check "example: exit status 0" test "$(status_of example)" = 0
check "example: nothing printed" eval 'is_empty example.out && is_empty example.err'
expected_record="command=$(windows_path "$tool")\\settz.exe /q /s \"Romance Standard Time\""$'\n'"flags=1"$'\n'"show=0"$'\n'
check "example: the zone setter's exact command line, started hidden" \
    test "$(cat "$tool/settz-record.txt" 2>/dev/null; echo .)" = "$expected_record."
check "missing INF: exit status 2" test "$(status_of missing-inf)" = 2
check "missing INF: nothing printed" eval 'is_empty missing-inf.out && is_empty missing-inf.err'
check "missing zone setter: exit status 0" test "$(status_of missing-setter)" = 0
check "missing zone setter: the message once, ending in CR LF" \
    cmp -s "$session/missing-setter.out" <(printf 'Error al cambiar de zona horaria, intente manualmente.\r\n')
check "missing argument: refused with 160" test "$(status_of missing-argument)" = 160
check "missing argument: nothing on standard output" is_empty missing-argument.out

say "done"
report_checks || exit 1
