// libFuzzer target over --check's input: arbitrary bytes read as an export
// or an INF, every zone's records validated and, when well formed, read as
// Windows reads them. Any input must end in definitions or in one clear
// Failure: never a crash, a hang or an out-of-bounds access (AddressSanitizer
// and UBSan are on).
#include "errors.h"
#include "fuzz_check.h"
#include "exported_definitions.h"
#include "record_evaluator.h"

#include <cstdint>
#include <string>

namespace {

using namespace zoneinf;

void CheckReading(const ZoneRecords& records)
{
    const Instant begin = StartOfYear(2024);
    const Instant end = StartOfYear(2027);
    Seconds current = OffsetAt(records, begin);
    Instant previous = begin;
    for (const OffsetChange& change : ChangesBetween(records, begin, end)) {
        // Changes come in order, each from the offset the last one left.
        FUZZ_CHECK(change.at > previous && change.at < end);
        FUZZ_CHECK(change.before == current && change.after != change.before);
        FUZZ_CHECK(OffsetAt(records, change.at) == change.after);
        FUZZ_CHECK(OffsetAt(records, change.at - Seconds{1}) == change.before);
        current = change.after;
        previous = change.at;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        for (const ExportedZone& zone : ReadDefinitions(bytes, "fuzz").zones) {
            const auto records = RecordsOf(zone);
            if (const auto* wellFormed = std::get_if<ZoneRecords>(&records)) {
                CheckReading(*wellFormed);
            } else {
                FUZZ_CHECK(!std::get<std::string>(records).empty());
            }
        }
    } catch (const Failure& failure) {
        FUZZ_CHECK(failure.status() == kExitUnreadableInput);
        FUZZ_CHECK(std::string(failure.what()).rfind("fuzz: ", 0) == 0);
    }
    return 0;
}
