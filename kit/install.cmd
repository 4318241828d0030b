@echo off
rem install.cmd - installs the zonechange kit and brings this computer's own
rem time zone up to date, keeping the way back. Run it elevated (SYSTEM from
rem Intune or Configuration Manager, or an administrator), from the kit's
rem folder or from anywhere; blanks in paths are fine. It
rem   1. copies the kit to "%ProgramW6432%\zonechange" (C:\Program Files\zonechange);
rem   2. the first time only, exports the computer's definitions there,
rem      export-before.reg (Time Zones, and zonechange's trace if any);
rem   3. writes undo.inf from that export (zoneinf.exe --undo ... --all);
rem   4. reads the zone in force (settz.exe /g) and applies zonas.inf with
rem      zonechange.exe, which selects that same zone again;
rem   5. checks the zone in force: zoneinf.exe --check --zones=current
rem      --since=<the kit's tzdata release>, again for about 15 seconds
rem      while settz.exe finishes.
rem Log: %ProgramData%\zonechange\zonechange.log.
rem
rem Exit status:
rem   0     done: the zone in force has the kit's definitions and the
rem         clock runs by them
rem   1     step 5 still finds the zone in force wrong (the log holds the
rem         report: e.g. "not re-selected" when settz.exe could not select it)
rem   2     a file of the kit is missing beside this script; nothing changed
rem   13    settz.exe /g named no zone; nothing changed
rem   82    the installed copy or the export could not be made (not run
rem         elevated?); nothing changed
rem   216   32-bit Windows: zoneinf.exe needs 64-bit Windows; nothing changed
rem   other the status of the step that failed, as the log says: settz.exe
rem         /g, zoneinf.exe (3: the export or the registry unreadable, 5:
rem         undo.inf not written), zonechange.exe (the INF could not be
rem         opened, e.g. -536870656 = 0xE0000100); nothing changed before
rem         step 4 succeeds
"%~dp0zonechange-kit.cmd" install
