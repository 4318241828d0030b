#include "zone_change.h"

#include <cstdio>

#include "platform_operations.h"

namespace {

constexpr char kZoneSetterFileName[] = "settz.exe";
constexpr char kZoneSetterSwitches[] = " /q /s \"";
constexpr char kZoneNameClosingQuote[] = "\"";

constexpr char kRefusalMissingArguments[] =
    "Faltan argumentos: se esperan el archivo INF en la posición 2 y la zona horaria en la posición 4.\r\n";
constexpr char kRefusalModulePathFailed[] =
    "No se pudo obtener la ruta del programa.\r\n";
constexpr char kRefusalModulePathTooLong[] =
    "La ruta del programa supera los 259 caracteres.\r\n";
constexpr char kRefusalModulePathWithoutBackslash[] =
    "La ruta del programa no contiene ninguna barra invertida.\r\n";
constexpr char kRefusalInfPathTooLong[] =
    "La ruta del archivo INF supera los 259 caracteres.\r\n";
constexpr char kRefusalCommandTooLong[] =
    "La zona horaria es demasiado larga para la línea de comandos de settz.exe.\r\n";

// Joins the parts into buffer; false, leaving the buffer empty, when the
// result would not fit, so a half-built string can never be used.
bool Concatenate(PathBuffer& buffer, const char* const* parts, std::size_t count)
{
    char* out = buffer.text;
    const char* const last = buffer.text + kPathMaxLength;
    for (; count > 0; --count, ++parts) {
        for (const char* next = *parts; *next != '\0'; ++next) {
            if (out == last) {
                buffer.text[0] = '\0';
                return false;
            }
            *out++ = *next;
        }
    }
    *out = '\0';
    return true;
}

// Positions 2 and 4 present; nothing past the end of the vector is read.
bool HasBothArguments(int argumentCount, char** arguments)
{
    return argumentCount > kZoneNameArgument && arguments != nullptr &&
           arguments[kInfFileArgument] != nullptr && arguments[kZoneNameArgument] != nullptr;
}

ExitStatus Refuse(ExitStatus status, const char* refusal)
{
    WriteErrorLine(refusal);
    return status;
}

}  // namespace

bool CutAfterLastBackslash(PathBuffer& path, std::size_t length)
{
    for (std::size_t position = length; position > 0; --position) {
        if (path.text[position - 1] == '\\') {
            path.text[position] = '\0';
            return true;
        }
    }
    return false;
}

ProgramDirectoryAnswer GetProgramDirectory(PathBuffer& programDirectory)
{
    const ModulePathAnswer modulePath = QueryModulePath(programDirectory);
    if (modulePath.length == 0) {
        const ExitStatus status = modulePath.errorCode != 0 ? modulePath.errorCode
                                                            : kExitModulePathFailedWithoutCode;
        return {status, kRefusalModulePathFailed};
    }
    // The platform reports a truncated path as one that fills the buffer.
    if (modulePath.length > kPathMaxLength) {
        return {kExitPathTooLong, kRefusalModulePathTooLong};
    }
    if (!CutAfterLastBackslash(programDirectory, modulePath.length)) {
        return {kExitBadModulePath, kRefusalModulePathWithoutBackslash};
    }
    return {kExitSuccess, nullptr};
}

bool ComposeInfPath(const PathBuffer& programDirectory, const char* infFileName,
                    PathBuffer& infPath)
{
    const char* const parts[] = {programDirectory.text, infFileName};
    return Concatenate(infPath, parts, 2);
}

bool ComposeZoneSetterPath(const PathBuffer& programDirectory, PathBuffer& zoneSetterPath)
{
    const char* const parts[] = {programDirectory.text, kZoneSetterFileName};
    return Concatenate(zoneSetterPath, parts, 2);
}

// The zone setter's path stays unquoted at the head, exactly as the zone
// setter has always received it.
bool ComposeZoneSetterCommand(const PathBuffer& zoneSetterPath, const char* zoneName,
                              PathBuffer& commandLine)
{
    const char* const parts[] = {zoneSetterPath.text, kZoneSetterSwitches, zoneName, kZoneNameClosingQuote};
    return Concatenate(commandLine, parts, 4);
}

ExitStatus RunZoneChange(int argumentCount, char** arguments, char** environment)
{
    static_cast<void>(environment);  // The tool reads no configuration.

    // Every refusal comes before the INF stage, so a refused run has changed
    // nothing, opened nothing and started nothing.
    if (!HasBothArguments(argumentCount, arguments)) {
        return Refuse(kExitBadArguments, kRefusalMissingArguments);
    }

    PathBuffer programDirectory;
    const ProgramDirectoryAnswer directory = GetProgramDirectory(programDirectory);
    if (directory.status != kExitSuccess) {
        return Refuse(directory.status, directory.refusal);
    }

    PathBuffer infPath;
    if (!ComposeInfPath(programDirectory, arguments[kInfFileArgument], infPath)) {
        return Refuse(kExitPathTooLong, kRefusalInfPathTooLong);
    }

    // The zone setter's path heads the command line, so a path too long
    // makes a command line too long as well: one refusal serves both.
    PathBuffer zoneSetterPath;
    PathBuffer commandLine;
    if (!ComposeZoneSetterPath(programDirectory, zoneSetterPath) ||
        !ComposeZoneSetterCommand(zoneSetterPath, arguments[kZoneNameArgument], commandLine)) {
        return Refuse(kExitPathTooLong, kRefusalCommandTooLong);
    }

    const InfOpenAnswer inf = ApplyInfDefaultInstall(infPath);
    if (!inf.opened) {
        return inf.errorCode != 0 ? inf.errorCode : kExitInfOpenFailedWithoutCode;
    }

    if (!LaunchZoneSetter(zoneSetterPath, commandLine)) {
        std::puts(kLaunchFailedMessage);
    }
    return kExitSuccess;
}
