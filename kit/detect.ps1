# detect.ps1 - is this computer's own time zone right? For Windows
# PowerShell 5.1 and PowerShell 7, as an Intune remediation's detection
# script, an Intune Win32 app's detection script or a Configuration Manager
# discovery script: it may be uploaded alone, and uses the kit installed in
# "$env:ProgramW6432\zonechange" by install.cmd or install.ps1. There it
# runs
#   zoneinf.exe --check --zones=current --since=<the kit's tzdata release>
# which checks the definitions of the zone in force against the kit's
# release and the clock in force against those definitions. Standard output
# is one line, Compliant or NonCompliant; zoneinf's report goes to
# $env:ProgramData\zonechange\zonechange.log.
#
# Exit status (an Intune remediation's detection: 0 compliant, else not):
#   0     compliant ("Compliant")
#   1     not compliant: the zone's definitions are older than the kit's or
#         differ from it, or the clock in force is not the zone's ("not
#         re-selected", "automatic DST off"), or an unexpected error
#   2     the kit is not installed
#   3     the registry could not be read
#   216   32-bit Windows
$folder = $env:ProgramW6432
if (-not $folder) { $folder = $env:ProgramFiles }
$kit = Join-Path $folder 'zonechange\zonechange-kit.ps1'
if (-not (Test-Path -LiteralPath $kit)) {
    'NonCompliant'
    exit 2
}
& $kit -Step Detect
exit $LASTEXITCODE
