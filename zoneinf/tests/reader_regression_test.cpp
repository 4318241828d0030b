// Every input that ever broke a reader, replayed on every run: one folder
// per reader (regressions/READER), each file named for what must become of
// it ("read-..." or "refused-..."), and the fuzz seeds, which must all read.
// The native build has AddressSanitizer and UBSan, so a fault returns as a
// sanitizer's report, and a wrong verdict as a failed expectation.
#include "reader_exercises.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zoneinf {
namespace {

using fuzz::Outcome;

struct Reader {
    const char* folder;
    Outcome (*exercise)(const std::string&);
};

void PrintTo(const Reader& reader, std::ostream* out)
{
    *out << reader.folder;
}

class ReaderRegressions : public ::testing::TestWithParam<Reader> {};

TEST_P(ReaderRegressions, EachPastFindingIsReadOrRefusedAsItsNameSays)
{
    const std::filesystem::path tests = std::filesystem::path(ZONEINF_SOURCE_DIR) / "tests";
    int replayed = 0;
    for (const auto& [folder, seeds] : {std::pair(tests / "regressions" / GetParam().folder, false),
                                        std::pair(tests / "fuzz" / "seeds" / GetParam().folder, true)}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            const bool refused = name.rfind("refused-", 0) == 0;
            ASSERT_TRUE(seeds || refused || name.rfind("read-", 0) == 0) << name << ": no read- or refused-";
            const Outcome outcome = GetParam().exercise(testing::ReadBytes(entry.path()));
            EXPECT_EQ(outcome, refused ? Outcome::kRefused : Outcome::kRead) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

INSTANTIATE_TEST_SUITE_P(, ReaderRegressions,
                         ::testing::Values(Reader{"exports", fuzz::ExerciseDefinitions},
                                           Reader{"tzif", fuzz::ExerciseTzif},
                                           Reader{"windows-zones", fuzz::ExerciseZoneMap}),
                         [](const auto& info) {
                             std::string name = info.param.folder;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace zoneinf
