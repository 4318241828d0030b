#include "commands/command_files.h"

#include "base/errors.h"
#include "base/messages.h"
#include "base/text_decoder.h"
#include "base/whole_file.h"
#include "inf/inf_reader.h"
#include "registry/registry_export_reader.h"

namespace zoneinf {

std::string ReadInputFile(const std::string& path, EmptyInput empty)
{
    std::optional<std::string> bytes = ReadFileWhole(PathFromUtf8(path));
    if (!bytes || (empty == EmptyInput::kRefused && bytes->empty())) {
        throw UnreadableInput(path, _("cannot read (missing, unreadable or empty)"));
    }
    return std::move(*bytes);
}

namespace {

// An export's or an INF's text. Without a byte-order mark regedit's
// version 5.00 is UTF-8; REGEDIT4 and INFs are ANSI, Windows-1252 on the
// machines this serves.
DecodedText Decoded(const std::string& bytes, const std::string& name)
{
    const bool unmarkedUtf8 = bytes.compare(0, 36, "Windows Registry Editor Version 5.00") == 0;
    return DecodeText(bytes, name, unmarkedUtf8 ? TextEncoding::kUtf8 : TextEncoding::kWindows1252);
}

RegistrySnapshot SnapshotOf(const DecodedText& text, const std::string& name)
{
    if (IsRegistryExport(text.utf8)) {
        return ReadRegistryExport(text, name);
    }
    if (IsInf(text.utf8)) {
        return ReadInf(text, name);
    }
    if (text.byteOrderMark && text.encoding != TextEncoding::kUtf8) {
        throw UnreadableInput(name, _("UTF-16 text that is no registry export (no \"Windows Registry Editor Version 5.00\") and no INF"));
    }
    throw UnreadableInput(name, _("neither a registry export (\"Windows Registry Editor Version 5.00\", \"REGEDIT4\") nor an INF"));
}

}  // namespace

RegistrySnapshot ReadSnapshot(const std::string& bytes, const std::string& name)
{
    return SnapshotOf(Decoded(bytes, name), name);
}

ExportedDefinitions ReadDefinitions(const std::string& bytes, const std::string& name, ZoneCache* cache)
{
    const DecodedText text = Decoded(bytes, name);
    if (cache) {
        if (std::optional<ExportedDefinitions> read = ReadRegistryExportWithZonesKnown(text, name, *cache)) {
            return std::move(*read);
        }
    }
    return DefinitionsOf(SnapshotOf(text, name), name);
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
