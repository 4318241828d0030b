# remediate.ps1 - puts this computer's own time zone right again, for
# Windows PowerShell 5.1 and PowerShell 7, as an Intune remediation script
# or a Configuration Manager remediation script: it may be uploaded alone,
# and uses the kit installed in "$env:ProgramW6432\zonechange". It reads the
# zone in force (settz.exe /g), applies the installed zonas.inf with
# zonechange.exe, which selects that same zone again, and checks it as
# detect.ps1 does. Run it elevated (SYSTEM).
# Log: $env:ProgramData\zonechange\zonechange.log.
#
# Exit status:
#   0     done: the zone in force is right
#   1     the zone in force is still wrong (the log holds the report), or
#         an unexpected error
#   2     the kit is not installed (run install.cmd or install.ps1)
#   13    settz.exe /g named no zone; nothing changed
#   216   32-bit Windows; nothing changed
#   other the status of the step that failed: settz.exe /g, zonechange.exe
#         (zonas.inf could not be opened), zoneinf.exe (3: the registry
#         unreadable)
$folder = $env:ProgramW6432
if (-not $folder) { $folder = $env:ProgramFiles }
$kit = Join-Path $folder 'zonechange\zonechange-kit.ps1'
if (-not (Test-Path -LiteralPath $kit)) {
    Write-Host "falta $kit`: instale el kit con install.cmd o install.ps1"
    exit 2
}
& $kit -Step Remediate
exit $LASTEXITCODE
