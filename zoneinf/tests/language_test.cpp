// zoneinf speaks Spanish where the locale asks for it (the build's own
// catalogue, po/es.po), and English elsewhere.
#include "test_support.h"

#include <gtest/gtest.h>

namespace zoneinf {
namespace {

TEST(Language, SpanishWhereTheLocaleAsksForItEnglishElsewhere)
{
    const auto folder = testing::ScratchFolder("language");
    const std::string inf = (folder / "paraguay.inf").string();
    ASSERT_EQ(testing::RunZoneinf("America/Asuncion --from 2026 -o " + inf).status, 0);
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
        const testing::Run run = testing::RunZoneinf(c.arguments, c.environment);
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 300);
        EXPECT_NE(run.errors.find(c.inErrors), std::string::npos) << run.errors;
    }
}

}  // namespace
}  // namespace zoneinf
