@echo off
rem remediate.cmd - puts this computer's own time zone right again with the
rem installed kit: reads the zone in force (settz.exe /g), applies the
rem installed zonas.inf with zonechange.exe, which selects that same zone
rem again, and checks it as detect.cmd does, again for about 15 seconds
rem while settz.exe finishes. Run it elevated; blanks in paths are fine.
rem Log: %ProgramData%\zonechange\zonechange.log.
rem
rem Exit status:
rem   0     done: the zone in force is right
rem   1     the zone in force is still wrong (the log holds the report)
rem   2     the kit is not installed (run install.cmd)
rem   13    settz.exe /g named no zone; nothing changed
rem   216   32-bit Windows; nothing changed
rem   other the status of the step that failed: settz.exe /g, zonechange.exe
rem         (zonas.inf could not be opened), zoneinf.exe (3: the registry
rem         unreadable)
"%~dp0zonechange-kit.cmd" remediate
