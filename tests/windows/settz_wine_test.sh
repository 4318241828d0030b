#!/usr/bin/env bash
# settz.exe under Wine, in the prefix the CTest fixture made. One part per run:
#   preview     for zones of both hemispheres, with and without daylight
#               time, settz /n /s prints the key, biases and dates Windows
#               itself reports for the zone in force (Wine follows the host's
#               TZ, read from the tests' own time zone database through
#               TZDIR, so the zones' rules stay put), and /g prints that key;
#   bad_inputs  a table of refused command lines and malformed definitions:
#               each ends with its documented status and sets nothing;
#   chain       the real zonechange.exe applies zoneinf's Paraguay INF (from
#               the tests' database, where Paraguay keeps UTC-3) and starts
#               settz, which hands Windows Paraguay's new record;
#   recipe      the startup script of each user's guide, as printed there,
#               run from a folder with blanks and parentheses: it applies
#               the INF and re-selects the zone in force;
#   messages    each program's Spanish line keeps its accents on a console
#               and redirected to a file, in the console's code page (set
#               with chcp) or, without a console, in the ANSI code page.
# Wine cannot make the final call (SetDynamicTimeZoneInformation aborts
# there): the test build of settz records the record instead.
# Usage: settz_wine_test.sh PART WORK_DIR SETTZ RECORDING_SETTZ ZONECHANGE CURRENT_ZONE_REPORT
#            [ZONEINF TEST_ZONEINFO TEST_MAPPING]   (zoneinf's, for preview, chain and recipe)
set -u
part=$1 work=$2 settz=$3 recording=$4 zonechange=$5 report=$6 zoneinf=${7:-} test_zoneinfo=${8:-} test_mapping=${9:-}
# The prefix is the fixture's, so only the checks come from the library.
. "$(dirname "$0")/../lib/wine_test_lib.sh"
run=$work/$part
rm -rf "$run"
mkdir -p "$run/real" "$run/recording"
cp "$settz" "$run/real/"
cp "$recording" "$run/recording/"
zones_key='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones'

# Runs a Windows program, bounded; its output without CRs in $run/out and
# $run/err, its status in $status (Wine passes on its low 8 bits).
invoke() {
    status=0
    timeout 60 "$wine" "$@" >"$run/out.raw" 2>"$run/err.raw" || status=$?
    tr -d '\r' <"$run/out.raw" >"$run/out"
    tr -d '\r' <"$run/err.raw" >"$run/err"
}
fields() { grep -E "^($1)=" "$2"; }
recorded() { [ -e "$run/recording/settz-applied.txt" ]; }

preview() {
    # Host zone: north, south, without daylight time, half and quarter hours.
    local zones=(Europe/Paris Europe/London America/New_York America/Chicago America/Santiago
                 America/Sao_Paulo America/St_Johns Australia/Sydney Pacific/Auckland
                 Asia/Tokyo Asia/Kolkata Asia/Kathmandu Africa/Johannesburg)
    local compared='TimeZoneKeyName|Bias|StandardDate|StandardBias|DaylightDate|DaylightBias'
    export TZDIR=$test_zoneinfo
    for zone in "${zones[@]}"; do
        export TZ=$zone
        invoke "$report"
        cp "$run/out" "$run/windows.txt"
        local key
        key=$(sed -n 's/^TimeZoneKeyName=//p' "$run/windows.txt")
        invoke "$run/real/settz.exe" /n /s "$key"
        check "$zone: settz /n /s \"$key\" gives Windows' own record (status $status)" \
            eval '[ -n "$key" ] && [ $status = 0 ] && diff <(fields "$compared" "$run/windows.txt") <(fields "$compared" "$run/out")'
        check "$zone: ... in the preview format, nine lines" \
            eval 'cut -d= -f1 "$run/out" | tr "\n" " " | grep -qx "TimeZoneKeyName Bias StandardName StandardDate StandardBias DaylightName DaylightDate DaylightBias DynamicDaylightTimeDisabled "'
        invoke "$run/real/settz.exe" /g
        check "$zone: settz /g prints \"$key\"" eval '[ $status = 0 ] && [ "$(cat "$run/out")" = "$key" ]'
    done
    unset TZ TZDIR
}

bad_inputs() {
    local year_entry
    # Throwaway definitions, each faulty in one way.
    local good_tzi=c4ffffff00000000c4ffffff00000a0000000500030000000000000000000300000005000200000000000000
    "$wine" reg add "$zones_key\\Settz Short TZI" /v TZI /t REG_BINARY /d "${good_tzi:0:80}" /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Long Name" /v Std /d "A standard name of forty characters long" /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Long Name" /v TZI /t REG_BINARY /d "$good_tzi" /f >/dev/null 2>&1
    # The year entry Windows would use lies at LastEntry for any year after 2000.
    "$wine" reg add "$zones_key\\Settz Bad Year" /v TZI /t REG_BINARY /d "$good_tzi" /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Bad Year\\Dynamic DST" /v FirstEntry /t REG_DWORD /d 1999 /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Bad Year\\Dynamic DST" /v LastEntry /t REG_DWORD /d 2000 /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Bad Year\\Dynamic DST" /v 2000 /t REG_BINARY /d "${good_tzi}00" /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Missing Year\\Dynamic DST" /v FirstEntry /t REG_DWORD /d 2000 /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Missing Year\\Dynamic DST" /v LastEntry /t REG_DWORD /d 2000 /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Missing Year" /v TZI /t REG_BINARY /d "$good_tzi" /f >/dev/null 2>&1
    for key in "Settz Short TZI" "Settz Long Name" "Settz Bad Year" "Settz Missing Year"; do
        "$wine" reg add "$zones_key\\$key" /v Dlt /d "Settz Daylight Time" /f >/dev/null 2>&1
        "$wine" reg add "$zones_key\\$key" /v Display /d "(UTC+01:00) Settz" /f >/dev/null 2>&1
    done
    "$wine" reg add "$zones_key\\Settz Short TZI" /v Std /d "Settz Standard Time" /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Bad Year" /v Std /d "Settz Standard Time" /f >/dev/null 2>&1
    "$wine" reg add "$zones_key\\Settz Missing Year" /v Std /d "Settz Standard Time" /f >/dev/null 2>&1
    check "the faulty definitions were added" eval '"$wine" reg query "$zones_key\\Settz Bad Year\\Dynamic DST" /v 2000 2>/dev/null | grep -q REG_BINARY'

    local long_key
    long_key=$(printf 'x%.0s' {1..128})
    # status | what | arguments (one per line after the first two fields, split on |)
    local table=(
        "2|unknown key|/s|No Such Standard Time"
        "2|a key path into a zone's subkey|/s|Romance Standard Time\\Dynamic DST"
        "2|a key name with quotes|/s|Pacific \"SA\" Standard Time"
        "13|a TZI of 40 bytes|/s|Settz Short TZI"
        "13|a year record of 45 bytes|/s|Settz Bad Year"
        "13|a year record the range promises, missing|/s|Settz Missing Year"
        "206|a Std name too long for StandardName|/s|Settz Long Name"
        "206|a key of 128 characters|/s|$long_key"
        "160|no arguments"
        "160|/s without its value|/s"
        "160|/s followed by a switch|/s|/n"
        "160|an unknown switch|/x|/s|Romance Standard Time"
        "160|a stray argument|/s|Romance Standard Time|extra"
        "160|/g with /s|/g|/s|Romance Standard Time"
        "160|/g with /n|/g|/n"
    )
    for row in "${table[@]}"; do
        IFS='|' read -r -a cells <<<"$row"
        local expected=${cells[0]} what=${cells[1]}
        rm -f "$run/recording/settz-applied.txt"
        invoke "$run/recording/settz.exe" "${cells[@]:2}"
        check "$what: status $expected (got $status), one line on stderr, nothing set" \
            eval '[ "$status" = "$expected" ] && [ "$(wc -l <"$run/err")" = 1 ] && [ ! -s "$run/out" ] && ! recorded'
        invoke "$run/recording/settz.exe" /q "${cells[@]:2}"
        check "  ... with /q: status $expected, nothing printed, nothing set" \
            eval '[ "$status" = "$expected" ] && [ ! -s "$run/err" ] && [ ! -s "$run/out" ] && ! recorded'
    done

    # What is accepted: any order, - or /, any case; the key as stored; its MUI names.
    invoke "$run/real/settz.exe" -S "romance standard time" -N
    local mui_std
    mui_std=$("$wine" reg query "$zones_key\\Romance Standard Time" /v MUI_Std 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
    check "-S \"romance standard time\" -N: the key as stored, its MUI_Std name" \
        eval '[ $status = 0 ] && grep -qx "TimeZoneKeyName=Romance Standard Time" "$run/out" && [ -n "$mui_std" ] && grep -qxF "StandardName=$mui_std" "$run/out"'
    invoke "$run/real/settz.exe" /q /n /s "Romance Standard Time"
    check "/q /n on a sound zone: status 0, nothing printed" eval '[ $status = 0 ] && [ ! -s "$run/out" ] && [ ! -s "$run/err" ]'
    # The real build stops at the privilege Wine cannot grant, before the call that would abort.
    invoke "$run/real/settz.exe" /s "Romance Standard Time"
    check "the real build, without /n: refused at SeTimeZonePrivilege with Windows' code" \
        eval '[ $status != 0 ] && grep -q "^settz: sin el privilegio SeTimeZonePrivilege .*(error [0-9]*)\.$" "$run/err"'
}

chain() {
    # A folder with blanks: zonechange.exe puts settz.exe's path unquoted at
    # the head of its command line.
    local tool="$run/Zona Horaria (x86)"
    mkdir -p "$tool"
    cp "$zonechange" "$recording" "$tool/"
    check "zoneinf writes Paraguay's INF" "$zoneinf" America/Asuncion --zoneinfo "$test_zoneinfo" \
        --windows-zones "$test_mapping" -o "$tool/paraguay.inf"
    (cd "$tool" && invoke ./zonechange.exe /i paraguay.inf /z "Paraguay Standard Time"
     [ "$status" = 0 ]) 
    check "zonechange.exe applies it and starts settz (status 0)" test $? = 0
    local record=$tool/settz-applied.txt
    for _ in $(seq 120); do
        [ -e "$record" ] && break
        sleep 0.5
    done
    check "settz handed Windows a record" test -e "$record"
    tr -d '\r' <"$record" >"$run/record.txt" 2>/dev/null
    check "  ... for Paraguay Standard Time, bias 180 (UTC-3)" \
        eval 'fields "TimeZoneKeyName|Bias" "$run/record.txt" | tr "\n" " " | grep -qx "TimeZoneKeyName=Paraguay Standard Time Bias=180 "'
    check "  ... without daylight dates, automatic adjustment on" \
        eval 'fields "StandardDate|DaylightDate|DynamicDaylightTimeDisabled" "$run/record.txt" | tr "\n" " " | grep -qx "StandardDate=0,0,0,0,0,0,0,0 DaylightDate=0,0,0,0,0,0,0,0 DynamicDaylightTimeDisabled=0 "'
}

# Waits up to a minute for a file.
wait_for() {
    for _ in $(seq 120); do
        [ -e "$1" ] && return 0
        sleep 0.5
    done
    return 1
}

recipe() {
    local docs guide script inf tool record key
    docs=$(cd "$(dirname "$0")/../../docs" && pwd)
    # Wine's zone in force follows the host's TZ; Bogota's is a key with parentheses.
    export TZ=America/Bogota
    invoke "$run/recording/settz.exe" /g
    key=$(cat "$run/out")
    check "settz /g names the zone in force (\"$key\")" test -n "$key"
    tool="$WINEPREFIX/drive_c/Program Files (x86)/Zona Horaria"
    for guide in USER-GUIDE.txt GUIA-DE-USO.txt; do
        rm -rf "$tool"
        mkdir -p "$tool"
        "$wine" reg delete 'HKLM\SOFTWARE\zonechange' /f >/dev/null 2>&1
        # The guide's script: from its "@echo off" line to the blank line after it.
        script="$tool/aplicar zonas.cmd"
        awk '/^  @echo off$/ {on = 1} on && /^$/ {exit} on {print substr($0, 3) "\r"}' "$docs/$guide" >"$script"
        check "$guide: a startup script, plain ASCII as cmd reads it" \
            eval '[ -s "$script" ] && ! tr -d "\r" <"$script" | LC_ALL=C grep -q "[^ -~]"'
        inf=$(grep -o ' /i [^ ]*' "$script" | head -n 1 | cut -c5-)
        cp "$zonechange" "$tool/"
        cp "$run/recording/settz.exe" "$tool/"
        "$zoneinf" America/Asuncion -o "$tool/$inf"
        # Started from elsewhere, as a startup script is.
        printf 'call "C:\\Program Files (x86)\\Zona Horaria\\aplicar zonas.cmd"\r\nexit /b %%ERRORLEVEL%%\r\n' \
            >"$WINEPREFIX/drive_c/run-recipe.cmd"
        invoke cmd /c 'C:\run-recipe.cmd'
        check "$guide: the script ends with status 0 (got $status)" test "$status" = 0
        record="$tool/settz-applied.txt"
        wait_for "$record"
        check "  ... settz re-selected the zone in force, \"$key\"" \
            eval 'tr -d "\r" <"$record" | grep -qxF "TimeZoneKeyName=$key"'
        check "  ... the INF, $inf, was applied" \
            eval '"$wine" reg query "HKLM\\SOFTWARE\\zonechange\\Definitions\\Paraguay Standard Time" /v Zone 2>/dev/null |
                  grep -q America/Asuncion'
    done
    unset TZ
}

messages() {
    mkdir -p "$run/tool"
    cp "$zonechange" "$settz" "$run/tool/"
    local long_key
    long_key=$(printf 'x%.0s' {1..128})
    # command | its line on standard error | a part of it the console shows
    # on one line (the console wraps at 80 columns)
    local table=(
        "zonechange.exe|Faltan argumentos: se esperan el archivo INF en la posición 2 y la zona horaria en la posición 4.|en la posición 2"
        "settz.exe /s $long_key|settz: la clave de zona tiene más de 127 caracteres (error 206).|tiene más de 127"
    )
    local row command expected shown code_page charset
    for row in "${table[@]}"; do
        IFS='|' read -r command expected shown <<<"$row"
        for code_page in 850 1252 65001; do
            charset=CP$code_page
            [ "$code_page" = 65001 ] && charset=UTF-8
            rm -f "$run/tool/err.txt"
            # script(1) gives Wine a terminal, hence a console, whose code
            # page chcp sets; what the console shows comes back as UTF-8.
            (cd "$run/tool" && TERM=dumb timeout 60 script -qec \
                "$wine cmd /c 'chcp $code_page >nul & $command & $command 2>err.txt'" /dev/null) |
                sed 's/\x1b\[[?0-9;]*[A-Za-z]//g' >"$run/console.txt"
            check "chcp $code_page: ${command%% *}'s line redirected, in code page $code_page" \
                eval '[ "$(iconv -f "$charset" -t UTF-8 "$run/tool/err.txt" | tr -d "\r")" = "$expected" ]'
            check "  ... and on the console" grep -qF "$shown" "$run/console.txt"
        done
        # Started without a console: Wine's ANSI code page, Windows-1252.
        (cd "$run/tool" && invoke ./${command})
        check "no console: ${command%% *}'s line in the ANSI code page" \
            eval '[ "$(iconv -f CP1252 -t UTF-8 "$run/err.raw" | tr -d "\r")" = "$expected" ]'
    done
}

"$part"
report_checks
