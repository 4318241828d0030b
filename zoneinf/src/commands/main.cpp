// zoneinf: Windows time-zone definitions from the IANA time zone database.
//
//   database (TZif) -> offsets per year -> Windows records -> INF text
//   and back, for --check: exported records -> offsets -> compared with the database
//
// This file reads the command line and hands it to its command
// (commands/): the INF, --check or --undo.
#include "commands/check.h"
#include "commands/data_sources.h"
#include "commands/generate.h"
#include "commands/undo.h"
#include "base/errors.h"
#include "base/messages.h"
#include "commands/options.h"
#include "base/whole_file.h"

using namespace zoneinf;

int main(int argc, char** argv)
{
    UseUsersLanguage();
    try {
        const Options options = ParseOptions(ProgramArguments(argc, argv));
        UseUtf8Output(options.utf8Output);
        if (options.help) {
            WriteStandardOutput(_(kUsage));
            return kExitSuccess;
        }
        if (options.version) {
            WriteStandardOutput(DescribeVersions(options));
            return kExitSuccess;
        }
        if (options.check) {
            return RunCheck(options);
        }
        if (options.undo) {
            return RunUndo(options);
        }
        return RunGenerate(options);
    } catch (const Failure& failure) {
        WriteMessage(failure.what());
        if (failure.status() == kExitUsage) {
            WriteStandardError(std::string(_("Try 'zoneinf --help' for more information.")) + "\n");
        }
        return failure.status();
    } catch (const std::exception& error) {
        WriteMessage(error.what());
        return kExitUnreadableInput;
    }
}
