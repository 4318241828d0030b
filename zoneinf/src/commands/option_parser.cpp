#include "commands/option_parser.h"

#include "base/errors.h"
#include "base/messages.h"

namespace zoneinf {

namespace {

[[noreturn]] void Refuse(const char* pattern, const std::string& option)
{
    throw Failure(kExitUsage, Fill(pattern, {option}));
}

}  // namespace

OptionReader::OptionReader(const std::vector<std::string>& arguments, std::span<const OptionSpec> options)
    : arguments_(arguments), options_(options)
{
}

std::optional<FoundOption> OptionReader::Next()
{
    if (!cluster_.empty()) {
        return Short();
    }
    while (next_ < arguments_.size()) {
        const std::string& argument = arguments_[next_++];
        if (argument == "--") {
            operands_.insert(operands_.end(), arguments_.begin() + std::ptrdiff_t(next_), arguments_.end());
            next_ = arguments_.size();
        } else if (argument.starts_with("--")) {
            return Long(argument);
        } else if (argument.size() > 1 && argument[0] == '-') {
            cluster_ = argument.substr(1);
            return Short();
        } else {
            operands_.push_back(argument);
        }
    }
    return std::nullopt;
}

FoundOption OptionReader::Long(const std::string& argument)
{
    const size_t equals = argument.find('=');
    const std::string given = argument.substr(0, equals);
    const std::string name = given.substr(2);
    std::vector<const OptionSpec*> matches;
    for (const OptionSpec& option : options_) {
        if (name == option.name) {
            matches = {&option};
            break;
        }
        if (std::string_view(option.name).starts_with(name)) {
            matches.push_back(&option);
        }
    }
    if (matches.empty()) {
        Refuse(_("unrecognized option '%1'"), given);
    }
    if (matches.size() > 1) {
        std::string possibilities;
        for (const OptionSpec* match : matches) {
            possibilities += std::string(" '--") + match->name + "'";
        }
        throw Failure(kExitUsage, Fill(_("option '%1' is ambiguous; possibilities:%2"), {given, possibilities}));
    }
    const OptionSpec& option = *matches.front();
    const std::string fullName = std::string("--") + option.name;
    if (equals != std::string::npos) {
        if (option.argument == OptionSpec::kNone) {
            Refuse(_("option '%1' doesn't allow an argument"), fullName);
        }
        return {option.id, argument.substr(equals + 1)};
    }
    if (option.argument != OptionSpec::kRequired) {
        return {option.id, std::nullopt};
    }
    if (next_ == arguments_.size()) {
        Refuse(_("option '%1' requires an argument"), fullName);
    }
    return {option.id, arguments_[next_++]};
}

FoundOption OptionReader::Short()
{
    const char letter = cluster_.front();
    std::string rest = cluster_.substr(1);
    cluster_.clear();
    for (const OptionSpec& option : options_) {
        if (option.letter == 0 || option.letter != letter) {
            continue;
        }
        if (option.argument == OptionSpec::kNone) {
            cluster_ = std::move(rest);
            return {option.id, std::nullopt};
        }
        if (!rest.empty()) {
            return {option.id, std::move(rest)};
        }
        if (option.argument == OptionSpec::kOptional) {
            return {option.id, std::nullopt};
        }
        if (next_ == arguments_.size()) {
            Refuse(_("option '%1' requires an argument"), std::string("-") + letter);
        }
        return {option.id, arguments_[next_++]};
    }
    Refuse(_("unrecognized option '%1'"), std::string("-") + letter);
}

}  // namespace zoneinf
