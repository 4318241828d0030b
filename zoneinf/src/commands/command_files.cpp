#include "commands/command_files.h"

#include "base/errors.h"
#include "base/messages.h"
#include "base/whole_file.h"

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
    // What zoneinf writes, it reads back: its own --check holds inputs to
    // kMaxInputBytes (a bound against hostile files), so nothing larger is
    // written. Example: every zone from 1800 to 2500 makes some 25 MB.
    if (text.size() > kMaxInputBytes) {
        throw Failure(kExitWriteFailed,
                      Fill(_("the output would be over %1 MiB, more than zoneinf reads back: ask for fewer years "
                             "or zones"),
                           {std::to_string(kMaxInputBytes >> 20)}));
    }
    if (options.output) {
        WriteFileWhole(*options.output, text);
    } else {
        WriteStandardOutput(text);
    }
}

}  // namespace zoneinf
