# install.ps1 - installs the zonechange kit and brings this computer's own
# time zone up to date, keeping the way back: the same steps as install.cmd
# (see it, or the user's guide), for Windows PowerShell 5.1 and PowerShell 7.
# Run it elevated (SYSTEM from Intune or Configuration Manager, or an
# administrator) from the kit's folder, e.g.
#   powershell.exe -NoProfile -ExecutionPolicy Bypass -File install.ps1
# Log: $env:ProgramData\zonechange\zonechange.log.
#
# Exit status:
#   0     done: the zone in force has the kit's definitions and the clock
#         runs by them
#   1     the check after installing still finds the zone in force wrong
#         (the log holds the report), or an unexpected error (in the log)
#   2     a file of the kit is missing beside this script; nothing changed
#   13    settz.exe /g named no zone; nothing changed
#   82    the installed copy or the export could not be made (not run
#         elevated?); nothing changed
#   216   32-bit Windows: zoneinf.exe needs 64-bit Windows; nothing changed
#   other the status of the step that failed, as the log says: settz.exe
#         /g, zoneinf.exe (3: the export or the registry unreadable, 5:
#         undo.inf not written), zonechange.exe (the INF could not be
#         opened, e.g. -536870656 = 0xE0000100)
& (Join-Path $PSScriptRoot 'zonechange-kit.ps1') -Step Install
exit $LASTEXITCODE
