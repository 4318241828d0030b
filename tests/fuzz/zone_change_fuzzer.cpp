// libFuzzer target over the run sequence with the fake platform: arbitrary
// argument vectors and module paths, checked against the rules the tool
// promises. Built with AddressSanitizer and UBSan, so any read or write
// outside a buffer ends the run too.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "fuzz_check.h"
#include "zone_change.h"

namespace {

// What a run must have done, worked out from its inputs.
struct Expected {
    ExitStatus status;
    const char* calls;
    std::string infPath;
    std::string zoneSetterPath;
    std::string commandLine;
};

Expected Expect(int argumentCount, const std::vector<std::string>& arguments,
                const std::string& modulePath)
{
    if (argumentCount < 5) {
        return {kExitBadArguments, "", "", "", ""};
    }
    // An empty path is how the query reports a failure, here without a code.
    if (fakePlatform.modulePathFails || modulePath.empty()) {
        const PlatformErrorCode reported =
            fakePlatform.modulePathFails ? fakePlatform.modulePathError : 0;
        const ExitStatus status = reported != 0 ? reported : kExitModulePathFailedWithoutCode;
        return {status, "Q", "", "", ""};
    }
    if (modulePath.size() > 259) {
        return {kExitPathTooLong, "Q", "", "", ""};
    }
    const std::size_t backslash = modulePath.rfind('\\');
    if (backslash == std::string::npos) {
        return {kExitBadModulePath, "Q", "", "", ""};
    }
    const std::string directory = modulePath.substr(0, backslash + 1);
    const std::string infFile = arguments[2].c_str();
    const std::string zoneName = arguments[4].c_str();
    if (directory.size() + infFile.size() > 259 || directory.size() + zoneName.size() > 241) {
        return {kExitPathTooLong, "Q", "", "", ""};
    }
    const std::string infPath = directory + infFile;
    if (!fakePlatform.infAnswer.opened) {
        const ExitStatus status = fakePlatform.infAnswer.errorCode != 0
                                      ? fakePlatform.infAnswer.errorCode
                                      : kExitInfOpenFailedWithoutCode;
        return {status, "QI", infPath, "", ""};
    }
    return {kExitSuccess, "QIL", infPath, directory + "settz.exe",
            directory + "settz.exe /q /s \"" + zoneName + "\""};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    // C strings, as the platform would hand them over.
    const std::string modulePath = input.ConsumeRandomLengthString(600).c_str();
    ResetFakePlatform(modulePath.c_str());
    fakePlatform.modulePathFails = input.ConsumeBool();
    fakePlatform.modulePathError = input.ConsumeIntegral<std::uint32_t>();
    fakePlatform.infAnswer.opened = input.ConsumeBool();
    fakePlatform.infAnswer.errorCode = input.ConsumeIntegral<std::uint32_t>();
    fakePlatform.launchStarts = input.ConsumeBool();

    const int argumentCount = input.ConsumeIntegralInRange<int>(0, 7);
    std::vector<std::string> arguments;
    // Each argument in an allocation of its exact size, and the vector ends
    // with its NULL, so the sanitizer sees any read past either.
    std::vector<std::unique_ptr<char[]>> storage;
    std::unique_ptr<char*[]> vector(new char*[argumentCount + 1]);
    for (int i = 0; i < argumentCount; ++i) {
        arguments.push_back(input.ConsumeRandomLengthString(400).c_str());
        storage.emplace_back(new char[arguments[i].size() + 1]);
        std::memcpy(storage[i].get(), arguments[i].c_str(), arguments[i].size() + 1);
        vector[i] = storage[i].get();
    }
    vector[argumentCount] = nullptr;
    char* environment[] = {nullptr};

    const Expected expected = Expect(argumentCount, arguments, modulePath);
    const ExitStatus status = RunZoneChange(argumentCount, vector.get(), environment);

    FUZZ_CHECK(status == expected.status);
    FUZZ_CHECK(std::strcmp(fakePlatform.calls, expected.calls) == 0);
    // Exit statuses are those the README lists: 0, the refusals, the
    // stand-ins for a missing code, or a code the platform reported.
    FUZZ_CHECK(status == kExitSuccess || status == kExitBadArguments ||
               status == kExitBadModulePath || status == kExitPathTooLong ||
               status == kExitModulePathFailedWithoutCode ||
               status == kExitInfOpenFailedWithoutCode ||
               (fakePlatform.modulePathFails && status == fakePlatform.modulePathError) ||
               (!fakePlatform.infAnswer.opened && status == fakePlatform.infAnswer.errorCode));
    if (std::strchr(fakePlatform.calls, 'I') != nullptr) {
        FUZZ_CHECK(std::strlen(fakePlatform.infPathSeen.text) <= kPathMaxLength);
        FUZZ_CHECK(fakePlatform.infPathSeen.text == expected.infPath);
    } else {
        // A refusal or a failed query touches no stage.
        FUZZ_CHECK(std::strchr(fakePlatform.calls, 'L') == nullptr);
        FUZZ_CHECK(status != kExitSuccess);
    }
    if (std::strchr(fakePlatform.calls, 'L') != nullptr) {
        FUZZ_CHECK(std::strlen(fakePlatform.commandLineSeen.text) <= kPathMaxLength);
        FUZZ_CHECK(fakePlatform.commandLineSeen.text == expected.commandLine);
        FUZZ_CHECK(fakePlatform.zoneSetterPathSeen.text == expected.zoneSetterPath);
    }
    return 0;
}
