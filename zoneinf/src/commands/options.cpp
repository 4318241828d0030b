#include "commands/options.h"

#include "base/errors.h"
#include "base/tzdata_release.h"
#include "registry/registry_vocabulary.h"
#include "base/messages.h"

#include <charconv>
#include <getopt.h>
#include <string_view>
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

int ParseYear(const char* option, const char* text)
{
    int year = 0;
    const char* end = text + std::char_traits<char>::length(text);
    const auto [last, error] = std::from_chars(text, end, year);
    if (error != std::errc() || last != end || year < 1800 || year > 2500) {
        throw Failure(kExitUsage, Fill(_("invalid %1 year '%2' (1800 to 2500)"), {option, text}));
    }
    return year;
}

// What is wrong with the option getopt stopped at, named as it was given:
// getopt_long reports a long option by its short equivalent and leaves
// ambiguity to its own message, which opterr = 0 silences.
std::string OptionError(int result, char** argv, const option* longOptions)
{
    const char* last = optind > 0 ? argv[optind - 1] : "";
    std::string given = last;
    const bool isLong = given.rfind("--", 0) == 0 && given.size() > 2;
    std::vector<const option*> matches;
    if (isLong) {
        given = given.substr(0, given.find('='));
        for (const option* candidate = longOptions; candidate->name; ++candidate) {
            if (std::string("--") + candidate->name == given) {
                matches = {candidate};
                break;
            }
            if (std::string("--").append(candidate->name).rfind(given, 0) == 0) {
                matches.push_back(candidate);
            }
        }
    }
    // A long option errs with optopt 0 or its own value; anything else is
    // a short option inside the argument getopt is still reading.
    if (isLong && (optopt == 0 || (!matches.empty() && matches.front()->val == optopt))) {
        if (matches.size() > 1) {
            std::string possibilities;
            for (const option* match : matches) {
                possibilities += std::string(" '--") + match->name + "'";
            }
            return Fill(_("option '%1' is ambiguous; possibilities:%2"), {given, possibilities});
        }
        if (matches.empty()) {
            return Fill(_("unrecognized option '%1'"), {given});
        }
        const std::string name = std::string("--") + matches.front()->name;
        return Fill(result == ':' ? _("option '%1' requires an argument") : _("option '%1' doesn't allow an argument"),
                    {name});
    }
    const std::string name = std::string("-") + char(optopt);
    return Fill(result == ':' ? _("option '%1' requires an argument") : _("unrecognized option '%1'"), {name});
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

Options ParseOptions(int argc, char** argv)
{
    static const option longOptions[] = {
        {"all", no_argument, nullptr, 'a'},
        {"output", required_argument, nullptr, 'o'},
        {"from", required_argument, nullptr, kFrom},
        {"to", required_argument, nullptr, kTo},
        {"approximate", no_argument, nullptr, kApproximate},
        {"windows-key", required_argument, nullptr, kWindowsKey},
        {"zoneinfo", required_argument, nullptr, kZoneinfo},
        {"tzdata-source", required_argument, nullptr, kTzdataSource},
        {"windows-zones", required_argument, nullptr, kWindowsZones},
        // --check=FILE, the older form, is still taken.
        {"check", optional_argument, nullptr, 'c'},
        {"json", no_argument, nullptr, kJson},
        {"zones", required_argument, nullptr, kZones},
        {"compliance", no_argument, nullptr, kCompliance},
        {"output-encoding", required_argument, nullptr, kOutputEncoding},
        {"undo", required_argument, nullptr, kUndo},
        {"since", required_argument, nullptr, kSince},
        {"label", optional_argument, nullptr, kLabel},
        {"verbose", no_argument, nullptr, 'v'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0;
    optind = 1;
    for (;;) {
        const int c = getopt_long(argc, argv, ":ao:c::vhV", longOptions, nullptr);
        if (c == -1) {
            break;
        }
        switch (c) {
        case 'a': options.all = true; break;
        case 'o':
            if (*optarg == '\0') {
                throw Failure(kExitUsage, _("-o needs a FILE: an empty name names none"));
            }
            options.output = optarg;
            break;
        case kFrom: options.from = ParseYear("--from", optarg); break;
        case kTo: options.to = ParseYear("--to", optarg); break;
        case kApproximate: options.approximate = true; break;
        case kWindowsKey: options.windowsKey = optarg; break;
        case kZoneinfo:
        case kWindowsZones:
        case kTzdataSource:
            if (*optarg == '\0') {
                throw Failure(kExitUsage, Fill(_("option '%1' requires an argument"),
                                               {c == kZoneinfo ? "--zoneinfo" : c == kWindowsZones ? "--windows-zones"
                                                                                                  : "--tzdata-source"}));
            }
            (c == kZoneinfo ? options.zoneinfo : c == kWindowsZones ? options.windowsZones : options.tzdataSource) = optarg;
            break;
        case 'c':
            options.check = true;
            if (optarg) {
                options.checkFiles.emplace_back(optarg);
            }
            break;
        case kJson: options.json = true; break;
        case kZones: AddZones(options, optarg); break;
        case kCompliance: options.compliance = true; break;
        case kOutputEncoding:
            if (std::string_view(optarg) != "auto" && std::string_view(optarg) != "utf-8") {
                throw Failure(kExitUsage, Fill(_("invalid --output-encoding '%1' (auto or utf-8)"), {optarg}));
            }
            options.utf8Output = std::string_view(optarg) == "utf-8";
            break;
        case kUndo: options.undo = optarg; break;
        case kSince:
            if (!IsTzdataRelease(optarg)) {
                throw Failure(kExitUsage, Fill(_("invalid --since release '%1' (a year and letters, as in 2026f)"), {optarg}));
            }
            options.since = optarg;
            break;
        case kLabel:
            options.label = true;
            if (optarg) {
                if (*optarg == '\0') {
                    throw Failure(kExitUsage, Fill(_("option '%1' requires an argument"), {"--label="}));
                }
                options.labelExport = optarg;
            }
            break;
        case 'v': options.verbose = true; break;
        case 'h': options.help = true; break;
        case 'V': options.version = true; break;
        default:
            throw Failure(kExitUsage, OptionError(c, argv, longOptions));
        }
    }
    for (int i = optind; i < argc; ++i) {
        options.zones.emplace_back(argv[i]);
    }
    if (!options.tzdataSource.empty()) {
#ifdef _WIN32
        // zic, which compiles the release, is a Linux program.
        throw Failure(kExitUsage, _("--tzdata-source is for the Linux zoneinf: compile the release there, or "
                                    "rebuild zoneinf.exe with it (scripts/build-zoneinf-exe.sh)"));
#endif
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
