// zoneinf: Windows time-zone definitions from the IANA time zone database.
//
//   database (TZif) -> offsets per year -> Windows records -> INF text
//   and back, for --check: exported records -> offsets -> compared with the database
//
// This file reads the command line and hands it to its command
// (commands/): the INF, --check or --undo.
#include "check.h"
#include "commands/data_sources.h"
#include "commands/generate.h"
#include "commands/undo.h"
#include "errors.h"
#include "live_registry.h"
#include "messages.h"
#include "options.h"
#include "text_decoder.h"
#include "whole_file.h"

using namespace zoneinf;

namespace {

// --check's inputs: the files named, or the machine's own registry.
std::vector<CheckInput> CheckInputs(const Options& options)
{
    if (!options.checkFiles.empty()) {
        return CheckFiles(options.checkFiles);
    }
    const std::optional<RegistrySnapshot> live = ReadLiveRegistry();
    if (!live) {
        throw Failure(kExitUsage, _("--check needs a FILE: a registry export or an INF"));
    }
    return {{"registry", [live] { return DefinitionsOf(*live, "registry"); }}};
}

}  // namespace

int main(int argc, char** argv)
{
    UseUsersLanguage();
    try {
        std::vector<std::string> arguments = ProgramArguments(argc, argv);
        std::vector<char*> pointers;
        for (std::string& argument : arguments) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        const Options options = ParseOptions(int(arguments.size()), pointers.data());
        if (options.help) {
            WriteStandardOutput(_(kUsage));
            return kExitSuccess;
        }
        if (options.version) {
            WriteStandardOutput(DescribeVersions(options));
            return kExitSuccess;
        }
        if (options.check) {
            const YearRange years = YearsOf(options, CurrentYear());
            const std::vector<CheckInput> inputs = CheckInputs(options);
            // The mapping first, then the database, as this command has always opened them.
            const WindowsZoneMap map = LoadMapping(options);
            return RunCheck(inputs, OpenDatabase(options), map, years, options.json, options.verbose);
        }
        if (options.undo) {
            return RunUndo(options);
        }
        return RunGenerate(options);
    } catch (const Failure& failure) {
        // Messages quote the input: escaped, one line whatever it holds.
        WriteStandardError("zoneinf: " + EscapeForTerminal(failure.what()) + "\n");
        if (failure.status() == kExitUsage) {
            WriteStandardError(std::string(_("Try 'zoneinf --help' for more information.")) + "\n");
        }
        return failure.status();
    } catch (const std::exception& error) {
        WriteStandardError("zoneinf: " + EscapeForTerminal(error.what()) + "\n");
        return kExitUnreadableInput;
    }
}
