@echo off
rem uninstall.cmd - puts back the time zone definitions this computer had
rem before the kit's first install and removes the installed kit. Run it
rem elevated, from the kit's folder or from the installed copy
rem ("%ProgramW6432%\zonechange"); blanks in paths are fine. It
rem   1. reads the zone in force (settz.exe /g) and applies the installed
rem      undo.inf with zonechange.exe, which selects that same zone again:
rem      every zone's definitions and zonechange's trace return to what
rem      export-before.reg holds;
rem   2. removes "%ProgramW6432%\zonechange" once settz.exe has ended.
rem Log: %ProgramData%\zonechange\zonechange.log (kept).
rem
rem Exit status:
rem   0     done, or nothing was installed
rem   13    settz.exe /g named no zone; nothing changed
rem   82    the definitions are back but the installed copy could not be
rem         removed
rem   216   32-bit Windows; nothing changed
rem   other the status of the step that failed: settz.exe /g, zoneinf.exe
rem         (writing a missing undo.inf), zonechange.exe (undo.inf could not
rem         be opened); nothing changed and the installed copy kept, so
rem         that uninstall.cmd can be run again
"%~dp0zonechange-kit.cmd" uninstall
