#include "formats/definitions_trace.h"

#include "formats/registry_vocabulary.h"
#include "formats/text_decoder.h"
#include "messages.h"

namespace zoneinf {

std::optional<DefinitionsTrace> DefinitionsTraceOf(const RegistrySnapshot& snapshot)
{
    for (const RegistryKey& key : snapshot.keys) {
        if (!IsDefinitionsKey(key.path)) {
            continue;
        }
        DefinitionsTrace trace;
        const std::pair<const char*, std::string*> fields[] = {
            {kTraceTzdata, &trace.tzdata},
            {kTraceCldr, &trace.cldr},
            {kTraceProgram, &trace.program},
            {kTraceZones, &trace.zones},
        };
        for (const RegistryValue& value : key.values) {
            for (const auto& [name, field] : fields) {
                if (EqualNoCase(value.name, name) && value.type == kRegSz && value.problem.empty()) {
                    *field = Utf8FromUtf16Le(value.data);
                }
            }
        }
        return trace;
    }
    return std::nullopt;
}

std::string DescribeTrace(const DefinitionsTrace& trace)
{
    const auto shown = [](const std::string& text) { return text.empty() ? "?" : EscapeForTerminal(text); };
    return Fill(_("tzdata %1, CLDR %2, zoneinf %3; zones %4"),
                {shown(trace.tzdata), shown(trace.cldr), shown(trace.program), shown(trace.zones)});
}

}  // namespace zoneinf
