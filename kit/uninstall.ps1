# uninstall.ps1 - puts back the time zone definitions this computer had
# before the kit's first install and removes the installed kit: the same
# steps as uninstall.cmd, for Windows PowerShell 5.1 and PowerShell 7. Run
# it elevated, from the kit's folder or from the installed copy.
# Log: $env:ProgramData\zonechange\zonechange.log (kept).
#
# Exit status:
#   0     done, or nothing was installed
#   1     an unexpected error (in the log)
#   13    settz.exe /g named no zone; nothing changed
#   82    the definitions are back but the installed copy could not be
#         removed
#   216   32-bit Windows; nothing changed
#   other the status of the step that failed: settz.exe /g, zoneinf.exe
#         (writing a missing undo.inf), zonechange.exe (undo.inf could not
#         be opened); nothing changed and the installed copy kept
& (Join-Path $PSScriptRoot 'zonechange-kit.ps1') -Step Uninstall
exit $LASTEXITCODE
