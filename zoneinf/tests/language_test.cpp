// zoneinf speaks Spanish where the locale asks for it (the build's own
// catalogue, po/es.po), and English elsewhere.
#include "mo_catalogue.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zoneinf {
namespace {

TEST(Language, SpanishWhereTheLocaleAsksForItEnglishElsewhere)
{
    const auto folder = testing::ScratchFolder("language");
    const std::string inf = (folder / "paraguay.inf").string();
    ASSERT_EQ(testing::RunOnTestDatabase("America/Asuncion --from 2026 -o " + inf).status, 0);
    const char* const spanishHelp = "Uso: zoneinf [OPCIÓN]... ZONA...\n";
    const char* const spanishError = "zoneinf: zona horaria desconocida 'No/Such' en ";
    const char* const spanishHint = "Pruebe 'zoneinf --help' para más información.\n";
    const struct {
        const char* environment;
        std::string arguments;
        const char* inOutput;
        const char* inErrors;
    } cases[] = {
        {"LANG=es_ES.UTF-8", "--help", spanishHelp, ""},
        {"LANG=es_PY.UTF-8", "--help", spanishHelp, ""},
        {"LC_ALL=C.UTF-8 LANGUAGE=es", "--help", spanishHelp, ""},
        {"LANG=es_ES.UTF-8", "No/Such", "", spanishError},
        {"LANG=es_PY.UTF-8", "No/Such", "", spanishHint},
        {"LANG=es_ES.UTF-8", "--check " + inf, "Definiciones aplicadas: tzdata ", ""},
        {"LANG=es_ES.UTF-8", "--check " + inf, "1 zona comprobada, 0 difieren", ""},
        // An untranslated language, and the C locale, keep English.
        {"LC_ALL=C.UTF-8 LANGUAGE=fr", "--help", "Usage: zoneinf [OPTION]... ZONE...\n", ""},
        {"LC_ALL=C LANGUAGE=es", "No/Such", "", "zoneinf: unknown time zone 'No/Such' in "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.environment) + " zoneinf " + c.arguments);
        const testing::Run run = testing::RunOnTestDatabase(c.arguments, c.environment);
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 300);
        EXPECT_NE(run.errors.find(c.inErrors), std::string::npos) << run.errors;
    }
}

// zoneinf.exe's reader of the compiled catalogue (it has no libintl),
// on the catalogue the build compiled.
TEST(Language, BuiltInCatalogueReaderFindsTheTranslations)
{
    const std::string bytes = testing::ReadBytes(ZONEINF_SPANISH_CATALOGUE);
    const auto catalogue = MoCatalogue::Open(bytes);
    ASSERT_TRUE(catalogue);
    const struct {
        const char* english;
        std::optional<std::string> spanish;
    } cases[] = {
        {"Try 'zoneinf --help' for more information.", "Pruebe 'zoneinf --help' para más información."},
        {"%1 zone checked, ", std::string("%1 zona comprobada, \0%1 zonas comprobadas, ", 43)},
        {"cannot read", "no se puede leer"},
        {"version 1 has no 64-bit data", "la versión 1 no tiene datos de 64 bits"},
        {"no such message", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.english);
        const auto found = catalogue->Find(c.english);
        EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt, c.spanish);
    }
    ASSERT_TRUE(catalogue->Find("--all takes no ZONE"));
    EXPECT_EQ(catalogue->Find("--all takes no ZONE")->data()[catalogue->Find("--all takes no ZONE")->size()], '\0');
    // Cut short, or with a table pointing outside it: refused, not read past its end.
    EXPECT_FALSE(MoCatalogue::Open(bytes.substr(0, bytes.size() / 2)));
    EXPECT_FALSE(MoCatalogue::Open(bytes.substr(0, 10)));
    std::string pointingOut = bytes;
    pointingOut[12] = pointingOut[13] = pointingOut[14] = '\xFF';
    EXPECT_FALSE(MoCatalogue::Open(pointingOut));
}

}  // namespace
}  // namespace zoneinf
