// Test versions of the platform operations, linked in place of the Windows
// ones: they answer as told and record what the run handed them.
#pragma once

#include <cstdint>

#include "platform_operations.h"

struct FakePlatform {
    // What the module-path query answers. A path longer than the buffer is
    // truncated the way GetModuleFileNameA does it.
    const char* modulePath;
    bool modulePathFails;
    PlatformErrorCode modulePathError;

    InfOpenAnswer infAnswer;
    bool launchStarts;

    // What the run did, in order: 'Q' query, 'I' INF stage, 'L' launch.
    char calls[8];
    int callCount;
    PathBuffer infPathSeen;
    PathBuffer zoneSetterPathSeen;
    PathBuffer commandLineSeen;
};

extern FakePlatform fakePlatform;

// Every operation succeeds; the executable lies at modulePath.
void ResetFakePlatform(const char* modulePath);
