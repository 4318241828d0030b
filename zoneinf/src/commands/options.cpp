#include "commands/options.h"

#include "base/errors.h"
#include "base/messages.h"
#include "base/tzdata_release.h"
#include "commands/option_parser.h"
#include "registry/registry_vocabulary.h"
#include "tzdb/tzdata_source.h"

#include <charconv>
#include <vector>

namespace zoneinf {

const char* const kUsage =
    N_("Usage: zoneinf [OPTION]... ZONE...\n"
       "  or:  zoneinf [OPTION]... --all\n"
       "  or:  zoneinf [OPTION]... --check FILE...\n"
       "  or:  zoneinf --undo=EXPORT [OPTION]... ZONE...|--all\n"
       "Write the Windows definitions of IANA time zones (TZI and Dynamic DST\n"
       "records) as an INF file for zonechange.exe, or check the definitions\n"
       "exported from a Windows machine against the time zone database.\n"
       "\n"
       "  -a, --all                every Windows zone CLDR maps for territory 001\n"
       "  -o, --output=FILE        write the INF to FILE, whole or not at all\n"
       "      --from=YEAR          first year (default 1970; for --check this year)\n"
       "      --to=YEAR            last year (default 2037)\n"
       "      --approximate        write the closest record for a year no record\n"
       "                           describes, and name the year\n"
       "      --windows-key=NAME   Windows key for the one ZONE, instead of CLDR's\n"
       "      --label[=EXPORT]     also write the label Windows shows, with the\n"
       "                           zone's standard offset this year, and delete\n"
       "                           MUI_Display; its place names from the key's\n"
       "                           Display in EXPORT (a 'reg export'), else the\n"
       "                           zone's city\n"
       "      --zoneinfo=DIR       compiled database (default /usr/share/zoneinfo;\n"
       "                           zoneinf.exe has its own copy)\n"
       "      --tzdata-source=FILE|DIR\n"
       "                           compile an IANA release, its tarball\n"
       "                           (tzdata2026f.tar.gz) or unpacked folder, with\n"
       "                           zic and use it instead (Linux only)\n"
       "      --windows-zones=FILE CLDR's Windows zone mapping, windowsZones.json or\n"
       "                           windowsZones.xml (default: CLDR's own, built into\n"
       "                           zoneinf)\n"
       "  -c, --check              check each FILE, a 'reg export' of the Time Zones\n"
       "                           key (or an INF), against the database; with\n"
       "                           several, each line starts with the file's name\n"
       "                           and a summary ends the report; zoneinf.exe with\n"
       "                           no FILE checks its machine's own registry\n"
       "      --zones=current|KEY[,KEY]...\n"
       "                           with --check: only the zone in force and the\n"
       "                           Windows keys named; one named but absent makes\n"
       "                           the check fail\n"
       "      --compliance         with --check: print Compliant or NonCompliant\n"
       "                           alone, with status 0 whenever the check was made\n"
       "      --json               with --check: the report as one JSON document\n"
       "      --since=RELEASE      with --check: a checked key also needs the trace\n"
       "                           of definitions from tzdata RELEASE (2026f) or later\n"
       "      --undo=EXPORT        write the INF that puts back the definitions a\n"
       "                           'reg export' taken before holds for each ZONE\n"
       "                           (a Windows key or an IANA zone), or --all\n"
       "  -v, --verbose            with --check: name the keys left unchecked\n"
       "      --output-encoding=auto|utf-8\n"
       "                           redirected output in the console's code page\n"
       "                           (auto, zoneinf.exe's default) or in UTF-8\n"
       "  -h, --help               display this help and exit\n"
       "  -V, --version            output version information and exit\n"
       "\n"
       "Exit status:\n"
       "  0  success; with --check, no zone differs and the clock in force is\n"
       "     the current key's record (with --compliance, the check was made)\n"
       "  1  with --check, some zone differs from the database or is malformed,\n"
       "     a key named is absent, the clock in force is not its key's, or\n"
       "     (with --since) a key has no trace of RELEASE or later\n"
       "     (with several files, the worst status of any file: 3 over 1 over 0)\n"
       "  2  bad usage: option, year, zone name or Windows key; a zone that\n"
       "     would change the local time of its Windows key's main zone\n"
       "  3  an input cannot be read: the database, the mapping, the checked file,\n"
       "     the export to undo (or a value of it no INF can put back), the export\n"
       "     of --label (or its Display); the release of --tzdata-source is no\n"
       "     tzdata release, or zic fails on it\n"
       "  4  a year that no Windows record describes (see --approximate)\n"
       "  5  the output cannot be written\n"
       "\n"
       "Example: zoneinf America/Asuncion -o paraguay.inf\n"
       "See zoneinf(1) for the whole workflow.\n");

namespace {

int ParseYear(const char* option, const std::string& text)
{
    int year = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, year);
    if (error != std::errc() || last != end || year < 1800 || year > 2500) {
        throw Failure(kExitUsage, Fill(_("invalid %1 year '%2' (1800 to 2500)"), {option, text}));
    }
    return year;
}

enum LongOnly {
    kFrom = 256,
    kTo,
    kApproximate,
    kWindowsKey,
    kZoneinfo,
    kWindowsZones,
    kJson,
    kUndo,
    kZones,
    kCompliance,
    kOutputEncoding,
    kSince,
    kLabel,
    kTzdataSource,
};

// --zones=current,Paraguay Standard Time: each item a key name Windows
// could hold, or "current".
void AddZones(Options& options, const std::string& list)
{
    for (size_t start = 0;;) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        if (item == "current") {
            options.checkCurrentZone = true;
        } else if (item.empty() || !IsWindowsKeyName(item)) {
            throw Failure(kExitUsage, Fill(_("invalid --zones item '%1' (current or a Windows key name)"), {item}));
        } else {
            options.checkKeys.push_back(item);
        }
        if (comma == list.size()) {
            return;
        }
        start = comma + 1;
    }
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& arguments)
{
    static const OptionSpec kOptions[] = {
        {"all", 'a', OptionSpec::kNone, 'a'},
        {"output", 'o', OptionSpec::kRequired, 'o'},
        {"from", 0, OptionSpec::kRequired, kFrom},
        {"to", 0, OptionSpec::kRequired, kTo},
        {"approximate", 0, OptionSpec::kNone, kApproximate},
        {"windows-key", 0, OptionSpec::kRequired, kWindowsKey},
        {"zoneinfo", 0, OptionSpec::kRequired, kZoneinfo},
        {"tzdata-source", 0, OptionSpec::kRequired, kTzdataSource},
        {"windows-zones", 0, OptionSpec::kRequired, kWindowsZones},
        // --check=FILE, the older form, is still taken.
        {"check", 'c', OptionSpec::kOptional, 'c'},
        {"json", 0, OptionSpec::kNone, kJson},
        {"zones", 0, OptionSpec::kRequired, kZones},
        {"compliance", 0, OptionSpec::kNone, kCompliance},
        {"output-encoding", 0, OptionSpec::kRequired, kOutputEncoding},
        {"undo", 0, OptionSpec::kRequired, kUndo},
        {"since", 0, OptionSpec::kRequired, kSince},
        {"label", 0, OptionSpec::kOptional, kLabel},
        {"verbose", 'v', OptionSpec::kNone, 'v'},
        {"help", 'h', OptionSpec::kNone, 'h'},
        {"version", 'V', OptionSpec::kNone, 'V'},
    };
    Options options;
    OptionReader reader(arguments, kOptions);
    while (const std::optional<FoundOption> found = reader.Next()) {
        const int c = found->id;
        const std::string value = found->value.value_or("");
        switch (c) {
        case 'a': options.all = true; break;
        case 'o':
            if (value.empty()) {
                throw Failure(kExitUsage, _("-o needs a FILE: an empty name names none"));
            }
            options.output = value;
            break;
        case kFrom: options.from = ParseYear("--from", value); break;
        case kTo: options.to = ParseYear("--to", value); break;
        case kApproximate: options.approximate = true; break;
        case kWindowsKey: options.windowsKey = value; break;
        case kZoneinfo:
        case kWindowsZones:
        case kTzdataSource:
            if (value.empty()) {
                throw Failure(kExitUsage, Fill(_("option '%1' requires an argument"),
                                               {c == kZoneinfo ? "--zoneinfo" : c == kWindowsZones ? "--windows-zones"
                                                                                                  : "--tzdata-source"}));
            }
            (c == kZoneinfo ? options.zoneinfo : c == kWindowsZones ? options.windowsZones : options.tzdataSource) = value;
            break;
        case 'c':
            options.check = true;
            if (found->value) {
                options.checkFiles.push_back(value);
            }
            break;
        case kJson: options.json = true; break;
        case kZones: AddZones(options, value); break;
        case kCompliance: options.compliance = true; break;
        case kOutputEncoding:
            if (value != "auto" && value != "utf-8") {
                throw Failure(kExitUsage, Fill(_("invalid --output-encoding '%1' (auto or utf-8)"), {value}));
            }
            options.utf8Output = value == "utf-8";
            break;
        case kUndo: options.undo = value; break;
        case kSince:
            if (!IsTzdataRelease(value)) {
                throw Failure(kExitUsage, Fill(_("invalid --since release '%1' (a year and letters, as in 2026f)"), {value}));
            }
            options.since = value;
            break;
        case kLabel:
            options.label = true;
            if (found->value) {
                if (value.empty()) {
                    throw Failure(kExitUsage, Fill(_("option '%1' requires an argument"), {"--label="}));
                }
                options.labelExport = value;
            }
            break;
        case 'v': options.verbose = true; break;
        case 'h': options.help = true; break;
        case 'V': options.version = true; break;
        }
    }
    options.zones = reader.Operands();
    if (!options.tzdataSource.empty()) {
        RequireTzdataSourceSupport();
        if (!options.zoneinfo.empty()) {
            throw Failure(kExitUsage, _("--tzdata-source and --zoneinfo both name the database: give one"));
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.check) {
        options.checkFiles.insert(options.checkFiles.end(), options.zones.begin(), options.zones.end());
        options.zones.clear();
        if (options.all || options.output || options.windowsKey || options.approximate || options.undo) {
            throw Failure(kExitUsage, _("--check takes no --all, --output, --windows-key, --approximate or --undo"));
        }
        if (options.label) {
            throw Failure(kExitUsage, _("--label goes with an INF, not with --check or --undo"));
        }
        if (options.compliance && (options.json || options.verbose)) {
            throw Failure(kExitUsage, _("--compliance takes no --json or --verbose"));
        }
    } else {
        if (options.json || options.verbose) {
            throw Failure(kExitUsage, _("--json and --verbose go with --check"));
        }
        if (options.since) {
            throw Failure(kExitUsage, _("--since goes with --check"));
        }
        if (options.undo && options.label) {
            throw Failure(kExitUsage, _("--label goes with an INF, not with --check or --undo"));
        }
        if (options.compliance || options.checkCurrentZone || !options.checkKeys.empty()) {
            throw Failure(kExitUsage, _("--zones and --compliance go with --check"));
        }
        if (options.all == !options.zones.empty()) {
            throw Failure(kExitUsage, options.all ? _("--all takes no ZONE") : _("no ZONE given (or --all)"));
        }
        if (options.undo && (options.windowsKey || options.approximate || options.from || options.to)) {
            throw Failure(kExitUsage, _("--undo takes no --windows-key, --approximate, --from or --to"));
        }
        if (options.windowsKey && options.zones.size() != 1) {
            throw Failure(kExitUsage, _("--windows-key goes with exactly one ZONE"));
        }
    }
    if (options.from && options.to && *options.from > *options.to) {
        throw Failure(kExitUsage, _("--from is after --to"));
    }
    return options;
}

YearRange YearsOf(const Options& options, int currentYear)
{
    YearRange years;
    if (options.check) {
        years.first = currentYear;
    }
    years.first = options.from.value_or(years.first);
    years.last = options.to.value_or(std::max(years.first, years.last));
    if (years.first > years.last) {
        // Name the option that was given: --check starts this year by default.
        throw Failure(kExitUsage,
                      Fill(options.from ? _("--from %1 is after the last year %2")
                                        : _("--to %2 is before %1, the first year by default; give --from too"),
                           {std::to_string(years.first), std::to_string(years.last)}));
    }
    return years;
}

}  // namespace zoneinf
