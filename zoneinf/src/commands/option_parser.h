// zoneinf's own reader of a command line, as GNU getopt_long reads one:
// options and operands in any order (permuted), "--" ending the options,
// long options as --name=VALUE or --name VALUE and by any unique
// abbreviation, short ones grouped (-av) and with their value joined or
// next (-oFILE, -o FILE). Portable: no system's getopt.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zoneinf {

// One option. Example: {"output", 'o', kRequired, 'o'}; a long-only
// option has no letter, {"from", 0, kRequired, kFrom}. kOptional takes a
// value only joined to it (--check=FILE, -cFILE).
struct OptionSpec {
    enum Argument { kNone, kRequired, kOptional };
    const char* name;
    char letter;
    Argument argument;
    int id;
};

struct FoundOption {
    int id;
    std::optional<std::string> value;
};

class OptionReader {
public:
    // `arguments` as main() has them, the program's name first.
    OptionReader(const std::vector<std::string>& arguments, std::span<const OptionSpec> options);

    // The next option in the command line's order; nullopt once all are
    // read. Throws Failure (kExitUsage) with getopt's words for an option
    // unknown, ambiguous, or without the value it needs or with one it
    // takes none: "unrecognized option '--foo'", "option '--zone' is
    // ambiguous; possibilities: '--zoneinfo' '--zones'", "option '-o'
    // requires an argument", "option '--all' doesn't allow an argument".
    std::optional<FoundOption> Next();

    // The operands met so far, in their order: all of them once Next has
    // given nullopt.
    const std::vector<std::string>& Operands() const { return operands_; }

private:
    FoundOption Long(const std::string& argument);
    FoundOption Short();

    const std::vector<std::string>& arguments_;
    std::span<const OptionSpec> options_;
    std::size_t next_ = 1;         // the argument to read next
    std::string cluster_;          // the short options left of the argument being read ("v" of -av)
    std::vector<std::string> operands_;
};

}  // namespace zoneinf
