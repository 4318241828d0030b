#include <windows.h>
#include <setupapi.h>

#include "platform_operations.h"

InfOpenAnswer ApplyInfDefaultInstall(const PathBuffer& infPath)
{
    const HINF inf = SetupOpenInfFileA(infPath.text, nullptr, INF_STYLE_WIN4, nullptr);
    if (inf == INVALID_HANDLE_VALUE) {
        return {false, GetLastError()};
    }

    // Registry and INI-file directives only: no file copies, no window, no
    // callback. A missing section or a failed directive is not reported.
    // The handle is left to the process's end, which follows shortly.
    SetupInstallFromInfSectionA(nullptr, inf, "DefaultInstall",
                                SPINST_INIFILES | SPINST_REGISTRY, nullptr, nullptr, 0,
                                nullptr, nullptr, nullptr, nullptr);
    return {true, 0};
}
