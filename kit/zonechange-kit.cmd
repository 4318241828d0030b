@echo off
rem zonechange-kit.cmd STEP - the work of install.cmd, uninstall.cmd,
rem detect.cmd and remediate.cmd, which hand over to this file with their
rem STEP (install, uninstall, detect, remediate); their exit statuses are
rem listed at the top of each.
rem
rem The kit is installed in "%ProgramW6432%\zonechange" (C:\Program Files\
rem zonechange, whether cmd runs as a 32-bit or a 64-bit process, as Intune
rem starts it); the log is %ProgramData%\zonechange\zonechange.log, kept
rem under 1 MB (the previous one as zonechange.log.old). The zone in force
rem is read with settz.exe /g, never tzutil /g (which adds "_dstoff" where
rem automatic daylight saving time is off). Tzdata release of this kit's
rem zonas.inf and zoneinf.exe: @TZDATA_RELEASE@.
rem
rem Every path is quoted and read through delayed expansion (!name!), so
rem folders such as "C:\Program Files (x86)\Zona Horaria" work; messages
rem are ASCII, so they read the same in any console code page.
setlocal EnableExtensions DisableDelayedExpansion
set "kit=%~dp0"
set "step=%~1"
set "release=@TZDATA_RELEASE@"
set "target=%ProgramFiles%\zonechange"
if defined ProgramW6432 set "target=%ProgramW6432%\zonechange"
set "logdir=%ProgramData%\zonechange"
set "log=%ProgramData%\zonechange\zonechange.log"
set "kitfiles=zonechange.exe settz.exe zoneinf.exe zonas.inf install.cmd uninstall.cmd detect.cmd remediate.cmd zonechange-kit.cmd install.ps1 uninstall.ps1 detect.ps1 remediate.ps1 zonechange-kit.ps1 USER-GUIDE.txt GUIA-DE-USO.txt"
if exist "%log%" for %%f in ("%log%") do if %%~zf gtr 1048576 move /y "%log%" "%log%.old" >nul 2>&1
setlocal EnableDelayedExpansion
set "status=0"

if /i "!PROCESSOR_ARCHITECTURE!"=="x86" if not defined PROCESSOR_ARCHITEW6432 (
    call :say "zoneinf.exe necesita Windows de 64 bits; nada cambiado"
    set "status=216"
    goto finish
)
if /i "!step!"=="install" goto install
if /i "!step!"=="uninstall" goto uninstall
if /i "!step!"=="detect" goto detect
if /i "!step!"=="remediate" goto remediate
echo zonechange-kit.cmd: paso desconocido "!step!" (install, uninstall, detect o remediate) 1>&2
exit /b 160

:install
call :say "desde !kit!, zonas de tzdata !release!"
rem (One-line loop bodies: Wine's cmd misreads a block after "do if".)
set "missing="
for %%f in (%kitfiles%) do if not exist "!kit!%%f" set "missing=%%f"
if defined missing (
    call :say "falta !missing! en la carpeta del kit; nada cambiado"
    set "status=2"
    goto finish
)
set "created="
if not exist "!target!\" (
    mkdir "!target!" >nul 2>&1
    if not exist "!target!\" (
        call :say "no se pudo crear !target! (hace falta ejecutarlo como administrador o SYSTEM); nada cambiado"
        set "status=82"
        goto finish
    )
    set "created=1"
)
if /i not "!kit!"=="!target!\" for %%f in (%kitfiles%) do if !status! equ 0 call :copy_to_target %%f
if !status! neq 0 goto install_failed
call :say "kit copiado en !target!"
if exist "!target!\export-before.reg" (
    call :say "se conserva export-before.reg, tomado la primera vez"
) else (
    call :export_definitions
    if !status! neq 0 goto install_failed
)
"!target!\zoneinf.exe" --undo "!target!\export-before.reg" --all -o "!target!\undo.inf" >>"!log!" 2>&1
set "status=!errorlevel!"
if !status! neq 0 (
    call :say "zoneinf.exe --undo no pudo escribir undo.inf (estado !status!)"
    goto install_failed
)
call :say "undo.inf escrito a partir de export-before.reg"
call :read_zone
if !status! neq 0 goto install_failed
call :apply zonas.inf
if !status! neq 0 goto install_failed
call :verify
goto finish
:install_failed
rem The definitions are as they were: a folder this run made goes too.
if defined created rmdir /s /q "!target!" >nul 2>&1
goto finish

:uninstall
if not exist "!target!\zonechange.exe" (
    call :say "no hay copia instalada en !target!; nada que deshacer"
    goto finish
)
if exist "!target!\export-before.reg" (
    if not exist "!target!\undo.inf" (
        "!target!\zoneinf.exe" --undo "!target!\export-before.reg" --all -o "!target!\undo.inf" >>"!log!" 2>&1
        set "status=!errorlevel!"
        if !status! neq 0 (
            call :say "zoneinf.exe --undo no pudo escribir undo.inf (estado !status!)"
            goto finish
        )
    )
    call :read_zone
    if !status! neq 0 goto finish
    call :apply undo.inf
    if !status! neq 0 goto finish
    call :say "definiciones devueltas a las de export-before.reg"
) else (
    call :say "no hay export-before.reg: nada que deshacer"
)
rem The undo INF deletes zonechange's trace and leaves its key without
rem values: that key goes too, in either registry view.
call :remove_empty_key 32
call :remove_empty_key 64
rem settz.exe, started by zonechange.exe without waiting, runs from the
rem installed folder: the folder goes once it has ended (a running program
rem cannot be deleted), within about 30 seconds.
set /a tries=0
:uninstall_wait
del /f /q "!target!\settz.exe" >nul 2>&1
if exist "!target!\settz.exe" if !tries! lss 30 (
    set /a tries+=1
    ping -n 2 127.0.0.1 >nul
    goto uninstall_wait
)
call :say "se elimina !target!; termina con el estado !status!"
rem Run from the installed copy, this file deletes itself: the block is read
rem whole before it runs, so nothing is read from the file afterwards.
if /i "!kit!"=="!target!\" (
    rmdir /s /q "!target!" >nul 2>&1
    exit /b !status!
)
rmdir /s /q "!target!" >nul 2>&1
if exist "!target!\" (
    call :say "no se pudo eliminar !target!"
    set "status=82"
)
goto finish

:detect
if not exist "!target!\zoneinf.exe" (
    call :say "no hay copia instalada en !target!"
    set "status=2"
    goto finish
)
"!target!\zoneinf.exe" --check --zones=current --since=!release!
set "status=!errorlevel!"
goto finish

:remediate
set "missing="
for %%f in (zonechange.exe settz.exe zoneinf.exe zonas.inf) do if not exist "!target!\%%f" set "missing=%%f"
if defined missing (
    call :say "falta !missing! en !target!: instale el kit con install.cmd"
    set "status=2"
    goto finish
)
call :read_zone
if !status! neq 0 goto finish
call :apply zonas.inf
if !status! neq 0 goto finish
call :verify
goto finish

:finish
call :say "termina con el estado !status!"
exit /b !status!

rem ---- Steps shared by the entries above; each leaves its result in status.

:copy_to_target
copy /y "!kit!%~1" "!target!\%~1" >nul 2>&1
if errorlevel 1 (
    call :say "no se pudo copiar %~1 en !target!"
    set "status=82"
)
exit /b

rem The Time Zones key as the machine holds it (64-bit view), joined with
rem zonechange's trace where an earlier INF left one (32-bit view, where
rem the 32-bit zonechange.exe writes it), as zoneinf --undo reads them.
:export_definitions
set "zones=!target!\export-zones.tmp"
set "trace=!target!\export-trace.tmp"
reg export "HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones" "!zones!" /y /reg:64 >nul 2>&1
if errorlevel 1 (
    call :say "reg export no pudo exportar Time Zones"
    set "status=82"
    exit /b
)
reg query "HKLM\SOFTWARE\zonechange\Definitions" /reg:32 >nul 2>&1
if errorlevel 1 (
    move /y "!zones!" "!target!\export-before.reg" >nul
) else (
    reg export "HKLM\SOFTWARE\zonechange\Definitions" "!trace!" /y /reg:32 >nul 2>&1
    copy /b "!zones!" + "!trace!" "!target!\export-before.reg" >nul
    del /q "!zones!" "!trace!" >nul 2>&1
)
if not exist "!target!\export-before.reg" (
    call :say "no se pudo guardar export-before.reg"
    set "status=82"
    exit /b
)
call :say "definiciones del equipo exportadas en export-before.reg"
exit /b

rem HKLM\SOFTWARE\zonechange in the registry view %1, if it holds no value.
:remove_empty_key
reg query "HKLM\SOFTWARE\zonechange" /reg:%1 >nul 2>&1
if errorlevel 1 exit /b
reg query "HKLM\SOFTWARE\zonechange" /s /reg:%1 2>nul | find "REG_" >nul
if errorlevel 1 reg delete "HKLM\SOFTWARE\zonechange" /f /reg:%1 >nul 2>&1
exit /b

rem The zone in force, as settz.exe /g prints its key.
:read_zone
set "zone="
"!target!\settz.exe" /g >"!target!\zone.txt" 2>>"!log!"
set "status=!errorlevel!"
if !status! neq 0 (
    call :say "settz.exe /g no pudo leer la zona en vigor (estado !status!); nada cambiado"
    exit /b
)
set /p zone=<"!target!\zone.txt"
if not defined zone (
    call :say "settz.exe /g no dio ninguna zona; nada cambiado"
    set "status=13"
    exit /b
)
call :say "zona en vigor: !zone!"
exit /b

rem Applies the INF (zonas.inf or undo.inf) and selects the zone in force
rem again: zonechange.exe starts settz.exe /q /s ZONE without waiting.
:apply
rem Its output goes through a file of its own: the log stays free for the
rem lines that follow while settz.exe starts.
"!target!\zonechange.exe" /i %1 /z "!zone!" >"!target!\zonechange.txt" 2>&1
set "status=!errorlevel!"
type "!target!\zonechange.txt" >>"!log!" 2>nul
if !status! neq 0 (
    call :say "zonechange.exe no pudo abrir %1 (estado !status!); nada cambiado"
    exit /b
)
call :say "%1 aplicado; settz.exe selecciona de nuevo !zone!"
exit /b

rem The zone in force checked: its definitions against the kit's tzdata
rem release and the clock in force against them. settz.exe may still be
rem running: a zone not yet selected again is checked again, for about 15
rem seconds, before it counts as a failure.
:verify
set /a tries=0
:verify_again
"!target!\zoneinf.exe" --check --zones=current --since=!release! --output-encoding=utf-8 >"!target!\check.txt" 2>&1
set "status=!errorlevel!"
if "!status!"=="1" if !tries! lss 15 (
    set /a tries+=1
    ping -n 2 127.0.0.1 >nul
    goto verify_again
)
type "!target!\check.txt" >>"!log!"
if !status! neq 0 (
    call :say "zoneinf.exe --check --zones=current: estado !status! (el informe queda en zonechange.log)"
) else (
    call :say "la zona en vigor es correcta"
)
exit /b

rem One line on the console and, dated, in the log.
:say
set "line=%~1"
echo !line!
if not exist "!logdir!\" mkdir "!logdir!" >nul 2>&1
>>"!log!" echo !date! !time! !step!: !line!
exit /b 0
