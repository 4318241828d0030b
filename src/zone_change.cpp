#include "zone_change.h"

#include <cstdio>

#include "platform_operations.h"

namespace {

constexpr char kZoneSetterFileName[] = "settz.exe";
constexpr char kZoneSetterSwitches[] = " /q /s \"";
constexpr char kZoneNameClosingQuote[] = "\"";

constexpr char kRefusalMissingArguments[] =
    "Faltan argumentos: se esperan el archivo INF en la posicion 2 y la zona horaria en la posicion 4.\n";
constexpr char kRefusalModulePathFailed[] =
    "No se pudo obtener la ruta del programa.\n";
constexpr char kRefusalModulePathTooLong[] =
    "La ruta del programa supera los 259 caracteres.\n";
constexpr char kRefusalModulePathWithoutBackslash[] =
    "La ruta del programa no contiene ninguna barra invertida.\n";
constexpr char kRefusalInfPathTooLong[] =
    "La ruta del archivo INF supera los 259 caracteres.\n";
constexpr char kRefusalCommandTooLong[] =
    "La zona horaria es demasiado larga para la linea de comandos de settz.exe.\n";

// Appends text at length; on overflow leaves the buffer empty and answers
// false, so a half-built string can never be used.
bool AppendText(PathBuffer& buffer, std::size_t& length, const char* text)
{
    for (const char* next = text; *next != '\0'; ++next) {
        if (length == kPathMaxLength) {
            buffer.text[0] = '\0';
            length = 0;
            return false;
        }
        buffer.text[length++] = *next;
    }
    buffer.text[length] = '\0';
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
    std::fputs(refusal, stderr);
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
    std::size_t length = 0;
    return AppendText(infPath, length, programDirectory.text) &&
           AppendText(infPath, length, infFileName);
}

bool CopyZoneName(const char* zoneNameArgument, PathBuffer& zoneName)
{
    std::size_t length = 0;
    return AppendText(zoneName, length, zoneNameArgument);
}

bool ComposeZoneSetterPath(const PathBuffer& programDirectory, PathBuffer& zoneSetterPath)
{
    std::size_t length = 0;
    return AppendText(zoneSetterPath, length, programDirectory.text) &&
           AppendText(zoneSetterPath, length, kZoneSetterFileName);
}

// The zone setter's path stays unquoted at the head, exactly as the zone
// setter has always received it.
bool ComposeZoneSetterCommand(const PathBuffer& programDirectory,
                              const PathBuffer& zoneName, PathBuffer& commandLine)
{
    std::size_t length = 0;
    return AppendText(commandLine, length, programDirectory.text) &&
           AppendText(commandLine, length, kZoneSetterFileName) &&
           AppendText(commandLine, length, kZoneSetterSwitches) &&
           AppendText(commandLine, length, zoneName.text) &&
           AppendText(commandLine, length, kZoneNameClosingQuote);
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

    // The zone setter's path is shorter than the command line it heads, so
    // it fits whenever the command line does.
    PathBuffer zoneName;
    PathBuffer commandLine;
    PathBuffer zoneSetterPath;
    if (!CopyZoneName(arguments[kZoneNameArgument], zoneName) ||
        !ComposeZoneSetterCommand(programDirectory, zoneName, commandLine) ||
        !ComposeZoneSetterPath(programDirectory, zoneSetterPath)) {
        return Refuse(kExitPathTooLong, kRefusalCommandTooLong);
    }

    const InfOpenAnswer inf = ApplyInfDefaultInstall(infPath);
    if (!inf.opened) {
        return inf.errorCode != 0 ? inf.errorCode : kExitInfOpenFailedWithoutCode;
    }

    if (!LaunchZoneSetter(zoneSetterPath, commandLine)) {
        std::fputs(kLaunchFailedMessage, stdout);
    }
    return kExitSuccess;
}
