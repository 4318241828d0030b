#include <windows.h>

#include "platform_operations.h"

#if !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA must be 68 bytes in the 32-bit build");
#endif

bool LaunchZoneSetter(const PathBuffer& zoneSetterPath, PathBuffer& commandLine)
{
    // Only the show-window field is selected; the rest stays zero.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;

    // Filled in by CreateProcessA. The process and thread handles go with
    // the tool's end, right after.
    PROCESS_INFORMATION process;
    const BOOL started =
        CreateProcessA(zoneSetterPath.text, commandLine.text, nullptr, nullptr, FALSE,
                       CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process);
    return started != FALSE;
}
