// Windows' records: their bytes, how Windows and Wine read them, and the
// records the generator writes for the hard cases of the tests' database.
#include "base/errors.h"
#include "records/record_builder.h"
#include "records/record_evaluator.h"
#include "records/windows_zone.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zoneinf {
namespace {

using namespace std::chrono_literals;
using testing::At;

TziRecord FromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 3) {
        bytes.push_back(std::uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    if (bytes.size() != TziRecord::kSize) {
        throw std::length_error("a record is 44 bytes: " + hex);
    }
    return TziRecord::FromBytes(std::span<const std::uint8_t, TziRecord::kSize>(bytes.data(), TziRecord::kSize));
}

// As Windows ships them in the Time Zones key.
const TziRecord kEastern = FromHex(
    "2c 01 00 00 00 00 00 00 c4 ff ff ff 00 00 0b 00 00 00 01 00 02 00 00 00 00 00 00 00 "
    "00 00 03 00 00 00 02 00 02 00 00 00 00 00 00 00");
const TziRecord kAusEastern = FromHex(
    "a8 fd ff ff 00 00 00 00 c4 ff ff ff 00 00 04 00 00 00 01 00 03 00 00 00 00 00 00 00 "
    "00 00 0a 00 00 00 01 00 02 00 00 00 00 00 00 00");
const TziRecord kIndia = FromHex(
    "b6 fe ff ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");

TEST(TziRecord, FieldsAndBytesRoundTrip)
{
    EXPECT_EQ(kEastern.bias, 300);
    EXPECT_EQ(kEastern.daylightBias, -60);
    EXPECT_EQ(kEastern.standardDate, (SystemTime{0, 11, 0, 1, 2, 0, 0, 0}));
    EXPECT_EQ(kEastern.daylightDate, (SystemTime{0, 3, 0, 2, 2, 0, 0, 0}));
    EXPECT_EQ(kAusEastern.bias, -600);
    for (const TziRecord& record : {kEastern, kAusEastern, kIndia}) {
        const auto bytes = record.Bytes();
        EXPECT_EQ(TziRecord::FromBytes(bytes), record);
    }
}

TEST(RecordEvaluator, ReadsRecordsAsWindowsDoes)
{
    struct Case {
        const char* what;
        const TziRecord& record;
        const char* instant;
        Seconds offset;
    };
    const Case cases[] = {
        {"Eastern, winter", kEastern, "2024-01-01T00:00:00Z", -5h},
        {"Eastern, second before 02:00 EST", kEastern, "2024-03-10T06:59:59Z", -5h},
        {"Eastern, 02:00 EST", kEastern, "2024-03-10T07:00:00Z", -4h},
        {"Eastern, second before 02:00 EDT", kEastern, "2024-11-03T05:59:59Z", -4h},
        {"Eastern, 02:00 EDT", kEastern, "2024-11-03T06:00:00Z", -5h},
        {"AUS Eastern, summer", kAusEastern, "2024-01-01T00:00:00Z", 11h},
        {"AUS Eastern, second before 03:00 AEDT", kAusEastern, "2024-04-06T15:59:59Z", 11h},
        {"AUS Eastern, 03:00 AEDT", kAusEastern, "2024-04-06T16:00:00Z", 10h},
        {"AUS Eastern, second before 02:00 AEST", kAusEastern, "2024-10-05T15:59:59Z", 10h},
        {"AUS Eastern, 02:00 AEST", kAusEastern, "2024-10-05T16:00:00Z", 11h},
        {"India, no daylight time", kIndia, "2024-07-01T00:00:00Z", 5h + 30min},
    };
    for (const Case& c : cases) {
        for (Reader reader : {Reader::kWindows, Reader::kWine}) {
            EXPECT_EQ(OffsetAt(c.record, At(c.instant), reader), c.offset) << c.what;
        }
    }
}

TEST(RecordEvaluator, WindowsAndWineReadSameMonthRecordsDifferently)
{
    // Daylight time from the first to the fourth Sunday of March: Windows
    // sees the daylight date first; Wine, comparing months only, reads the
    // southern form and keeps daylight time the rest of the year.
    TziRecord record;
    record.daylightBias = -60;
    record.daylightDate = {0, 3, 0, 1, 0, 0, 0, 0};
    record.standardDate = {0, 3, 0, 4, 0, 0, 0, 0};
    EXPECT_EQ(OffsetAt(record, At("2024-03-10T12:00:00Z"), Reader::kWindows), 1h);
    EXPECT_EQ(OffsetAt(record, At("2024-03-10T12:00:00Z"), Reader::kWine), 1h);
    EXPECT_EQ(OffsetAt(record, At("2024-07-01T12:00:00Z"), Reader::kWindows), 0h);
    EXPECT_EQ(OffsetAt(record, At("2024-07-01T12:00:00Z"), Reader::kWine), 1h);
}

TEST(RecordEvaluator, ChangesFollowTheRecordOfEachYear)
{
    ZoneRecords records{kIndia, DynamicDst{2023, 2024, {kIndia, kEastern}}};
    const auto changes = ChangesBetween(records, At("2023-06-01T00:00:00Z"), At("2025-06-01T00:00:00Z"));
    const std::vector<OffsetChange> expected = {
        {At("2024-01-01T00:00:00Z"), 5h + 30min, -5h},
        {At("2024-03-10T07:00:00Z"), -5h, -4h},
        {At("2024-11-03T06:00:00Z"), -4h, -5h},
        {At("2025-03-09T07:00:00Z"), -5h, -4h},  // after LastEntry, the last entry
    };
    EXPECT_EQ(changes, expected);
}

TEST(RecordBuilder, WritesTheRecordsWindowsShipsForSteadyRules)
{
    const std::pair<const char*, const TziRecord&> cases[] = {
        {"America/New_York", kEastern}, {"Australia/Sydney", kAusEastern}, {"Asia/Kolkata", kIndia}};
    for (const auto& [zone, shipped] : cases) {
        const WindowsZone built =
            BuildWindowsZone(testing::TestDatabase().Load(zone), zone, "Key", {1970, 2037}, false);
        EXPECT_EQ(built.records.tzi, shipped) << zone;
        EXPECT_TRUE(built.futureExact) << zone;
        EXPECT_EQ(built.records.dynamic->years.size(), 68u);
    }
}

TEST(RecordBuilder, DescribesHardYearsExactlyForBothReaders)
{
    struct Case {
        const char* zone;
        int year;
        bool describable;
        const char* why;
    };
    const Case cases[] = {
        {"America/Caracas", 2007, true, "standard offset changes in December"},
        {"America/Caracas", 2016, true, "standard offset changes in May"},
        {"Europe/Volgograd", 2018, true, "one change, +03 to +04"},
        {"Europe/Volgograd", 2020, true, "one change, +04 to +03, near the year's end"},
        {"America/Nuuk", 2023, true, "daylight time that became standard time"},
        {"Asia/Jerusalem", 2030, true, "Friday before the last Sunday"},
        {"Australia/Lord_Howe", 2024, true, "half-hour daylight time"},
        {"Europe/Dublin", 2024, true, "negative daylight time in the database"},
        {"Africa/Casablanca", 2020, true, "Ramadan: one hour back for a month"},
        {"America/Santiago", 2024, true, "southern hemisphere, Saturday 24:00"},
        {"Pacific/Apia", 2011, false, "three offsets: daylight time and the date line"},
        {"Africa/Casablanca", 2012, false, "four changes: daylight time and Ramadan"},
        {"America/Argentina/Buenos_Aires", 2007, false, "a change on Dec 30 read into the first hours"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.year) + ": " + c.why);
        const YearOffsets offsets = testing::TestDatabase().Load(c.zone).Year(c.year);
        const auto record = DescribeYear(offsets);
        ASSERT_EQ(record.has_value(), c.describable);
        if (!record) {
            const TziRecord closest = ClosestRecord(offsets);
            const auto steady = DescribeYear({c.year, offsets.atStart, {}});
            ASSERT_TRUE(steady);
            EXPECT_LT(DisagreementIn(EvaluateYear(closest, c.year), offsets),
                      DisagreementIn(EvaluateYear(*steady, c.year), offsets));
        }
    }
}

TEST(RecordBuilder, IndescribableYearFailsUnlessApproximated)
{
    const ZoneTimeline apia = testing::TestDatabase().Load("Pacific/Apia");
    try {
        BuildWindowsZone(apia, "Pacific/Apia", "Samoa Standard Time", {2010, 2012}, false);
        ADD_FAILURE() << "2011 was written";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.status(), kExitIndescribable);
        const std::string message = failure.what();
        for (const char* part : {"Pacific/Apia", "Samoa Standard Time", "2011:", "-10:00 -> +14:00"}) {
            EXPECT_NE(message.find(part), std::string::npos) << part << " in " << message;
        }
    }
    const WindowsZone approximated =
        BuildWindowsZone(apia, "Pacific/Apia", "Samoa Standard Time", {2010, 2012}, true);
    ASSERT_EQ(approximated.approximated.size(), 1u);
    EXPECT_EQ(approximated.approximated[0].year, 2011);
}

}  // namespace
}  // namespace zoneinf
