@echo off
rem detect.cmd - is this computer's own time zone right? Checks, with the
rem installed kit, the definitions of the zone in force against the kit's
rem tzdata release and the clock in force against those definitions:
rem   zoneinf.exe --check --zones=current --since=<the kit's tzdata release>
rem and prints zoneinf's report. Any user may run it; blanks in paths are
rem fine. A line goes to %ProgramData%\zonechange\zonechange.log.
rem
rem Exit status (an Intune remediation's detection: 0 compliant, else not):
rem   0     compliant
rem   1     not compliant: the zone's definitions are older than the kit's
rem         or differ from it, or the clock in force is not the zone's
rem         ("not re-selected", "automatic DST off")
rem   2     the kit is not installed
rem   3     the registry could not be read
rem   216   32-bit Windows
"%~dp0zonechange-kit.cmd" detect
