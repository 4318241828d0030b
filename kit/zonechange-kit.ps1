# zonechange-kit.ps1 -Step Install|Uninstall|Detect|Remediate - the work of
# install.ps1, uninstall.ps1, detect.ps1 and remediate.ps1, the same steps
# as zonechange-kit.cmd does for the .cmd scripts; their exit statuses are
# listed at the top of each. For Windows PowerShell 5.1 and PowerShell 7.
#
# The kit is installed in "$env:ProgramW6432\zonechange" (C:\Program Files\
# zonechange, whether PowerShell runs as a 32-bit or a 64-bit process); the
# log is $env:ProgramData\zonechange\zonechange.log, shared with the .cmd
# scripts, kept under 1 MB (the previous one as zonechange.log.old). The
# zone in force is read with settz.exe /g, never tzutil /g (which adds
# "_dstoff" where automatic daylight saving time is off). Tzdata release
# of this kit's zonas.inf and zoneinf.exe: @TZDATA_RELEASE@.
#
# The programs are started with their output redirected to files, so their
# bytes reach the log unchanged, whatever PowerShell's own encodings.
# Detect writes exactly one line on standard output, Compliant or
# NonCompliant (Configuration Manager compares it), and nothing else.
[CmdletBinding()]
param(
    [Parameter(Mandatory = $true)]
    [ValidateSet('Install', 'Uninstall', 'Detect', 'Remediate')]
    [string] $Step
)
Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

$Release = '@TZDATA_RELEASE@'
$Kit = $PSScriptRoot
$ProgramFolder = $env:ProgramW6432
if (-not $ProgramFolder) { $ProgramFolder = $env:ProgramFiles }
$Target = Join-Path $ProgramFolder 'zonechange'
$LogFolder = Join-Path $env:ProgramData 'zonechange'
$Log = Join-Path $LogFolder 'zonechange.log'
$KitFiles = @('zonechange.exe', 'settz.exe', 'zoneinf.exe', 'zonas.inf',
    'install.cmd', 'uninstall.cmd', 'detect.cmd', 'remediate.cmd', 'zonechange-kit.cmd',
    'install.ps1', 'uninstall.ps1', 'detect.ps1', 'remediate.ps1', 'zonechange-kit.ps1',
    'USER-GUIDE.txt', 'GUIA-DE-USO.txt')
$TimeZonesKey = 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones'
$TraceKey = 'SOFTWARE\zonechange\Definitions'

# A failed step: its status, and the line the log gets.
class KitFailure : System.Exception {
    [int] $Status
    KitFailure([int] $status, [string] $message) : base($message) { $this.Status = $status }
}

function Add-LogBytes([byte[]] $Bytes) {
    if (-not (Test-Path -LiteralPath $LogFolder)) {
        New-Item -ItemType Directory -Path $LogFolder -Force | Out-Null
    }
    $stream = [IO.File]::Open($Log, [IO.FileMode]::Append, [IO.FileAccess]::Write, [IO.FileShare]::ReadWrite)
    try { $stream.Write($Bytes, 0, $Bytes.Length) } finally { $stream.Dispose() }
}

# One line in the log, dated, and on the console except for Detect, whose
# standard output is its verdict alone.
function Write-KitLog([string] $Text) {
    $stamp = Get-Date -Format 'yyyy-MM-dd HH:mm:ss'
    $line = '{0} {1}: {2}' -f $stamp, $Step.ToLowerInvariant(), $Text
    try { Add-LogBytes ([Text.Encoding]::ASCII.GetBytes($line + "`r`n")) } catch { }
    if ($Step -ne 'Detect') { Write-Host $Text }
}

# Starts a program and waits for it; its output goes to NAME.txt in the
# installed folder (and, with -Log, into the log). The status, signed as
# cmd's %ERRORLEVEL% shows it (0xE0000100 is -536870656).
function Invoke-Program([string] $Program, [string[]] $Arguments, [string] $Name, [switch] $Log) {
    $quoted = foreach ($argument in $Arguments) {
        if ($argument -match '[\s"]') { '"' + ($argument -replace '"', '\"') + '"' } else { $argument }
    }
    $output = Join-Path $Target "$Name.txt"
    $errors = Join-Path $Target "$Name.err"
    $process = Start-Process -FilePath $Program -ArgumentList ($quoted -join ' ') -Wait -PassThru `
        -NoNewWindow -RedirectStandardOutput $output -RedirectStandardError $errors
    if ($Log) {
        foreach ($file in $output, $errors) {
            $bytes = [IO.File]::ReadAllBytes($file)
            if ($bytes.Length -gt 0) { Add-LogBytes $bytes }
        }
    }
    return [int] $process.ExitCode
}

function Assert-Files([string] $Folder, [string[]] $Names, [string] $Missing) {
    foreach ($name in $Names) {
        if (-not (Test-Path -LiteralPath (Join-Path $Folder $name) -PathType Leaf)) {
            throw [KitFailure]::new(2, ($Missing -f $name))
        }
    }
}

# The Time Zones key as the machine holds it (64-bit view), joined with
# zonechange's trace where an earlier INF left one (32-bit view, where the
# 32-bit zonechange.exe writes it), as zoneinf --undo reads them.
function Export-Definitions {
    $export = Join-Path $Target 'export-before.reg'
    $zones = Join-Path $Target 'export-zones.tmp'
    $trace = Join-Path $Target 'export-trace.tmp'
    $reg = Join-Path $env:SystemRoot 'System32\reg.exe'
    if ((Invoke-Program $reg @('export', $TimeZonesKey, $zones, '/y', '/reg:64') 'reg-export') -ne 0) {
        throw [KitFailure]::new(82, 'reg export no pudo exportar Time Zones')
    }
    $view = [Microsoft.Win32.RegistryKey]::OpenBaseKey([Microsoft.Win32.RegistryHive]::LocalMachine,
        [Microsoft.Win32.RegistryView]::Registry32)
    $held = $view.OpenSubKey($TraceKey)
    $bytes = [IO.File]::ReadAllBytes($zones)
    if ($held) {
        $held.Dispose()
        if ((Invoke-Program $reg @('export', "HKLM\$TraceKey", $trace, '/y', '/reg:32') 'reg-export') -ne 0) {
            throw [KitFailure]::new(82, 'reg export no pudo exportar la traza de zonechange')
        }
        $bytes = $bytes + [IO.File]::ReadAllBytes($trace)
    }
    $view.Dispose()
    [IO.File]::WriteAllBytes($export, $bytes)
    Remove-Item -LiteralPath $zones, $trace -Force -ErrorAction SilentlyContinue
    Write-KitLog 'definiciones del equipo exportadas en export-before.reg'
}

function Test-HoldsValues([Microsoft.Win32.RegistryKey] $Key) {
    if ($Key.ValueCount -gt 0) { return $true }
    foreach ($name in $Key.GetSubKeyNames()) {
        $subkey = $Key.OpenSubKey($name)
        try { if ($subkey -and (Test-HoldsValues $subkey)) { return $true } } finally { if ($subkey) { $subkey.Dispose() } }
    }
    return $false
}

# HKLM\SOFTWARE\zonechange in the registry view given, if it holds no value.
function Remove-EmptyKey([Microsoft.Win32.RegistryView] $RegistryView) {
    $base = [Microsoft.Win32.RegistryKey]::OpenBaseKey([Microsoft.Win32.RegistryHive]::LocalMachine, $RegistryView)
    try {
        $key = $base.OpenSubKey('SOFTWARE\zonechange')
        if ($key) {
            $empty = -not (Test-HoldsValues $key)
            $key.Dispose()
            if ($empty) { $base.DeleteSubKeyTree('SOFTWARE\zonechange') }
        }
    } finally { $base.Dispose() }
}

function Write-UndoInf {
    $arguments = @('--undo', (Join-Path $Target 'export-before.reg'), '--all', '-o', (Join-Path $Target 'undo.inf'))
    $status = Invoke-Program (Join-Path $Target 'zoneinf.exe') $arguments 'zoneinf-undo' -Log
    if ($status -ne 0) { throw [KitFailure]::new($status, "zoneinf.exe --undo no pudo escribir undo.inf (estado $status)") }
    Write-KitLog 'undo.inf escrito a partir de export-before.reg'
}

# The zone in force, as settz.exe /g prints its key.
function Read-Zone {
    $status = Invoke-Program (Join-Path $Target 'settz.exe') @('/g') 'zone'
    if ($status -ne 0) {
        Add-LogBytes ([IO.File]::ReadAllBytes((Join-Path $Target 'zone.err')))
        throw [KitFailure]::new($status, "settz.exe /g no pudo leer la zona en vigor (estado $status); nada cambiado")
    }
    $zone = ([IO.File]::ReadAllText((Join-Path $Target 'zone.txt'))).Trim()
    if (-not $zone) { throw [KitFailure]::new(13, 'settz.exe /g no dio ninguna zona; nada cambiado') }
    Write-KitLog "zona en vigor: $zone"
    return $zone
}

# Applies the INF (zonas.inf or undo.inf) and selects the zone in force
# again: zonechange.exe starts settz.exe /q /s ZONE without waiting.
function Invoke-Inf([string] $Inf, [string] $Zone) {
    $status = Invoke-Program (Join-Path $Target 'zonechange.exe') @('/i', $Inf, '/z', $Zone) 'zonechange' -Log
    if ($status -ne 0) { throw [KitFailure]::new($status, "zonechange.exe no pudo abrir $Inf (estado $status); nada cambiado") }
    Write-KitLog "$Inf aplicado; settz.exe selecciona de nuevo $Zone"
}

# The zone in force checked: its definitions against the kit's tzdata
# release and the clock in force against them. settz.exe may still be
# running: a zone not yet selected again is checked again, for about 15
# seconds, before it counts as a failure.
function Test-Zone {
    $arguments = @('--check', '--zones=current', "--since=$Release", '--output-encoding=utf-8')
    for ($tries = 0; ; $tries++) {
        $status = Invoke-Program (Join-Path $Target 'zoneinf.exe') $arguments 'check'
        if ($status -ne 1 -or $tries -ge 15) { break }
        Start-Sleep -Seconds 1
    }
    foreach ($name in 'check.txt', 'check.err') { Add-LogBytes ([IO.File]::ReadAllBytes((Join-Path $Target $name))) }
    if ($status -eq 0) { Write-KitLog 'la zona en vigor es correcta' }
    else { Write-KitLog "zoneinf.exe --check --zones=current: estado $status (el informe queda en zonechange.log)" }
    return $status
}

function Install-Kit {
    Write-KitLog "desde $Kit, zonas de tzdata $Release"
    Assert-Files $Kit $KitFiles 'falta {0} en la carpeta del kit; nada cambiado'
    $created = $false
    if (-not (Test-Path -LiteralPath $Target -PathType Container)) {
        try { New-Item -ItemType Directory -Path $Target | Out-Null }
        catch { throw [KitFailure]::new(82, "no se pudo crear $Target (hace falta ejecutarlo como administrador o SYSTEM); nada cambiado") }
        $created = $true
    }
    try {
        if ((Resolve-Path -LiteralPath $Kit).Path.TrimEnd('\') -ne $Target.TrimEnd('\')) {
            foreach ($name in $KitFiles) {
                try { Copy-Item -LiteralPath (Join-Path $Kit $name) -Destination (Join-Path $Target $name) -Force }
                catch { throw [KitFailure]::new(82, "no se pudo copiar $name en $Target") }
            }
        }
        Write-KitLog "kit copiado en $Target"
        if (Test-Path -LiteralPath (Join-Path $Target 'export-before.reg')) {
            Write-KitLog 'se conserva export-before.reg, tomado la primera vez'
        } else {
            Export-Definitions
        }
        Write-UndoInf
        $zone = Read-Zone
        Invoke-Inf 'zonas.inf' $zone
    } catch [KitFailure] {
        # The definitions are as they were: a folder this run made goes too.
        if ($created) { Remove-Item -LiteralPath $Target -Recurse -Force -ErrorAction SilentlyContinue }
        throw
    }
    return (Test-Zone)
}

function Uninstall-Kit {
    if (-not (Test-Path -LiteralPath (Join-Path $Target 'zonechange.exe'))) {
        Write-KitLog "no hay copia instalada en $Target; nada que deshacer"
        return 0
    }
    if (Test-Path -LiteralPath (Join-Path $Target 'export-before.reg')) {
        if (-not (Test-Path -LiteralPath (Join-Path $Target 'undo.inf'))) { Write-UndoInf }
        $zone = Read-Zone
        Invoke-Inf 'undo.inf' $zone
        Write-KitLog 'definiciones devueltas a las de export-before.reg'
    } else {
        Write-KitLog 'no hay export-before.reg: nada que deshacer'
    }
    # The undo INF deletes zonechange's trace and leaves its key without
    # values: that key goes too, in either registry view.
    foreach ($registryView in [Microsoft.Win32.RegistryView]::Registry32, [Microsoft.Win32.RegistryView]::Registry64) {
        Remove-EmptyKey $registryView
    }
    # settz.exe, started by zonechange.exe without waiting, runs from the
    # installed folder: the folder goes once it has ended.
    $setter = Join-Path $Target 'settz.exe'
    for ($tries = 0; (Test-Path -LiteralPath $setter) -and $tries -lt 30; $tries++) {
        try { Remove-Item -LiteralPath $setter -Force } catch { Start-Sleep -Seconds 1 }
    }
    Write-KitLog "se elimina $Target"
    # A script running from the installed copy is already read whole.
    Remove-Item -LiteralPath $Target -Recurse -Force -ErrorAction SilentlyContinue
    if (Test-Path -LiteralPath $Target) { throw [KitFailure]::new(82, "no se pudo eliminar $Target") }
    return 0
}

function Repair-Zone {
    Assert-Files $Target @('zonechange.exe', 'settz.exe', 'zoneinf.exe', 'zonas.inf') "falta {0} en ${Target}: instale el kit con install.ps1"
    $zone = Read-Zone
    Invoke-Inf 'zonas.inf' $zone
    return (Test-Zone)
}

function Test-Compliance {
    Assert-Files $Target @('zoneinf.exe') "falta {0} en ${Target}: instale el kit con install.ps1"
    $arguments = @('--check', '--zones=current', "--since=$Release", '--output-encoding=utf-8')
    $status = Invoke-Program (Join-Path $Target 'zoneinf.exe') $arguments 'detect' -Log
    return $status
}

if (Test-Path -LiteralPath $Log) {
    if ((Get-Item -LiteralPath $Log).Length -gt 1MB) { Move-Item -LiteralPath $Log -Destination "$Log.old" -Force }
}
$status = 0
try {
    if ($env:PROCESSOR_ARCHITECTURE -eq 'x86' -and -not $env:PROCESSOR_ARCHITEW6432) {
        throw [KitFailure]::new(216, 'zoneinf.exe necesita Windows de 64 bits; nada cambiado')
    }
    switch ($Step) {
        'Install' { $status = Install-Kit }
        'Uninstall' { $status = Uninstall-Kit }
        'Detect' { $status = Test-Compliance }
        'Remediate' { $status = Repair-Zone }
    }
} catch [KitFailure] {
    Write-KitLog $_.Exception.Message
    $status = $_.Exception.Status
} catch {
    Write-KitLog ('error: ' + $_.Exception.Message)
    $status = 1
}
Write-KitLog "termina con el estado $status"
if ($Step -eq 'Detect') {
    if ($status -eq 0) { 'Compliant' } else { 'NonCompliant' }
}
exit $status
