#include "fake_platform.h"

#include <cstdio>
#include <cstring>

FakePlatform fakePlatform;

namespace {

void RecordCall(char call)
{
    if (fakePlatform.callCount < static_cast<int>(sizeof fakePlatform.calls) - 1) {
        fakePlatform.calls[fakePlatform.callCount++] = call;
        fakePlatform.calls[fakePlatform.callCount] = '\0';
    }
}

}  // namespace

void ResetFakePlatform(const char* modulePath)
{
    std::memset(&fakePlatform, 0, sizeof fakePlatform);
    fakePlatform.modulePath = modulePath;
    fakePlatform.infAnswer = {true, 0};
    fakePlatform.launchStarts = true;
}

ModulePathAnswer QueryModulePath(PathBuffer& modulePath)
{
    RecordCall('Q');
    if (fakePlatform.modulePathFails) {
        return {0, fakePlatform.modulePathError};
    }
    const std::size_t length = std::strlen(fakePlatform.modulePath);
    if (length >= kPathBufferSize) {
        // Truncated without a terminating NUL, as older systems leave it.
        std::memcpy(modulePath.text, fakePlatform.modulePath, kPathBufferSize);
        return {static_cast<std::uint32_t>(kPathBufferSize), 0};
    }
    std::memcpy(modulePath.text, fakePlatform.modulePath, length + 1);
    return {static_cast<std::uint32_t>(length), 0};
}

InfOpenAnswer ApplyInfDefaultInstall(const PathBuffer& infPath)
{
    RecordCall('I');
    fakePlatform.infPathSeen = infPath;
    return fakePlatform.infAnswer;
}

bool LaunchZoneSetter(const PathBuffer& zoneSetterPath, PathBuffer& commandLine)
{
    RecordCall('L');
    fakePlatform.zoneSetterPathSeen = zoneSetterPath;
    fakePlatform.commandLineSeen = commandLine;
    return fakePlatform.launchStarts;
}

void WriteErrorLine(const char* line)
{
    std::fputs(line, stderr);
}
