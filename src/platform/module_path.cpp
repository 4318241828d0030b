#include <windows.h>

#include "platform_operations.h"

ModulePathAnswer QueryModulePath(PathBuffer& modulePath)
{
    const DWORD length =
        GetModuleFileNameA(nullptr, modulePath.text, static_cast<DWORD>(kPathBufferSize));
    if (length == 0) {
        return {0, GetLastError()};
    }
    return {length, 0};
}
