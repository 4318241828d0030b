#include "registry/definitions_trace.h"

#include "registry/registry_vocabulary.h"
#include "base/text_decoder.h"
#include "base/messages.h"

#include <algorithm>

namespace zoneinf {

namespace {

DefinitionsTrace TraceOf(const RegistryKey& key, const std::string& windowsKey)
{
    DefinitionsTrace trace;
    trace.windowsKey = windowsKey;
    const std::pair<const char*, std::string*> strings[] = {
        {kTraceTzdata, &trace.tzdata},
        {kTraceCldr, &trace.cldr},
        {kTraceProgram, &trace.program},
        {windowsKey.empty() ? kTraceZones : kTraceZone, &trace.zones},
    };
    const std::pair<const char*, std::uint32_t*> numbers[] = {
        {kTraceFirstYear, &trace.firstYear},
        {kTraceLastYear, &trace.lastYear},
    };
    for (const RegistryValue& value : key.values) {
        if (!value.problem.empty()) {
            continue;
        }
        for (const auto& [name, field] : strings) {
            if (EqualNoCase(value.name, name) && value.type == kRegSz) {
                *field = Utf8FromUtf16Le(value.data);
            }
        }
        for (const auto& [name, field] : numbers) {
            if (EqualNoCase(value.name, name) && value.type == kRegDword) {
                *field = DwordOf(value.data).value_or(0);
            }
        }
    }
    return trace;
}

}  // namespace

const DefinitionsTrace* DefinitionsTraces::For(const std::string& windowsKey, const std::string& zone) const
{
    for (const DefinitionsTrace& trace : keys) {
        if (EqualNoCase(trace.windowsKey, windowsKey)) {
            return &trace;
        }
    }
    if (global && !zone.empty()) {
        const std::string padded = " " + global->zones + " ";
        if (padded.find(" " + zone + " ") != std::string::npos) {
            return &*global;
        }
    }
    return nullptr;
}

std::optional<DefinitionsTraces> DefinitionsTraceOf(const RegistrySnapshot& snapshot)
{
    std::optional<DefinitionsTraces> traces;
    for (const RegistryKey& key : snapshot.keys) {
        const std::optional<std::string> windowsKey = DefinitionsSubkeyOf(key.path);
        if (!windowsKey) {
            continue;
        }
        if (!traces) {
            traces.emplace();
        }
        if (windowsKey->empty()) {
            // A key without values is only the parent of the per-key traces.
            if (!key.values.empty()) {
                traces->global = TraceOf(key, "");
            }
        } else if (IsWindowsKeyName(*windowsKey)) {
            traces->keys.push_back(TraceOf(key, *windowsKey));
        }
    }
    return traces;
}

std::vector<std::string> DescribeTraces(const DefinitionsTraces& traces)
{
    const auto shown = [](const std::string& text) { return text.empty() ? "?" : EscapeForTerminal(text); };
    std::vector<const DefinitionsTrace*> all;
    if (traces.global) {
        all.push_back(&*traces.global);
    }
    for (const DefinitionsTrace& trace : traces.keys) {
        all.push_back(&trace);
    }
    // What was applied (release, mapping, program) and the zones it covers.
    std::vector<std::pair<std::vector<std::string>, std::string>> lines;
    for (const DefinitionsTrace* trace : all) {
        const std::vector<std::string> applied = {shown(trace->tzdata), shown(trace->cldr), shown(trace->program)};
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& found) { return found.first == applied; });
        if (line == lines.end()) {
            line = lines.insert(lines.end(), {applied, ""});
        }
        if (!line->second.empty()) {
            line->second += ' ';
        }
        line->second += shown(trace->zones);
    }
    std::vector<std::string> described;
    for (const auto& [applied, zones] : lines) {
        described.push_back(Fill(_("tzdata %1, CLDR %2, zoneinf %3; zones %4"), {applied[0], applied[1], applied[2], zones}));
    }
    return described;
}

}  // namespace zoneinf
