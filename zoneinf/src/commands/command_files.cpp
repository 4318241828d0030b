#include "commands/command_files.h"

#include "errors.h"
#include "messages.h"
#include "whole_file.h"

namespace zoneinf {

std::string ReadInputFile(const std::string& path, EmptyInput empty)
{
    std::optional<std::string> bytes = ReadFileWhole(PathFromUtf8(path));
    if (!bytes || (empty == EmptyInput::kRefused && bytes->empty())) {
        throw UnreadableInput(path, _("cannot read (missing, unreadable or empty)"));
    }
    return std::move(*bytes);
}

void WriteResult(const Options& options, const std::string& text)
{
    if (options.output) {
        WriteFileWhole(*options.output, text);
    } else {
        WriteStandardOutput(text);
    }
}

}  // namespace zoneinf
