// zoneinf speaks Spanish where the locale asks for it (the build's own
// catalogue, po/es.po), and English elsewhere.
#include "base/mo_catalogue.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zoneinf {
namespace {

TEST(Language, SpanishWhereTheLocaleAsksForItEnglishElsewhere)
{
    const auto folder = testing::ScratchFolder("language");
    const std::string inf = (folder / "paraguay.inf").string();
    ASSERT_EQ(testing::RunOnTestDatabase("America/Asuncion --from 2026 -o " + inf).status, 0);
    // An export whose Dynamic DST ends before it starts.
    std::string tzi = "00";
    for (size_t i = 1; i < 44; ++i) {
        tzi += ",00";
    }
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\"
                            "Paraguay Standard Time";
    const std::string backwards = (folder / "backwards.reg").string();
    std::ofstream(backwards, std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n" << key << "]\r\n\"TZI\"=hex:" << tzi << "\r\n\r\n"
        << key << "\\Dynamic DST]\r\n\"FirstEntry\"=dword:000007d0\r\n\"LastEntry\"=dword:000007cf\r\n";
    const char* const spanishHelp = "Uso: zoneinf [OPCIÓN]... ZONA...\n";
    const char* const spanishError = "zoneinf: zona horaria desconocida 'No/Such' en ";
    const char* const spanishHint = "Pruebe 'zoneinf --help' para más información.\n";
    const struct {
        const char* environment;
        std::string arguments;
        const char* inOutput;
        const char* inErrors;
        bool onSystemDatabase = false;  // for a zone the tests' database lacks
    } cases[] = {
        {"LANG=es_ES.UTF-8", "--help", spanishHelp, ""},
        {"LANG=es_PY.UTF-8", "--help", spanishHelp, ""},
        {"LC_ALL=C.UTF-8 LANGUAGE=es", "--help", spanishHelp, ""},
        {"LANG=es_ES.UTF-8", "No/Such", "", spanishError},
        {"LANG=es_PY.UTF-8", "No/Such", "", spanishHint},
        {"LANG=es_ES.UTF-8", "--check " + inf, "Definiciones aplicadas: tzdata ", ""},
        {"LANG=es_ES.UTF-8", "--check " + inf, "1 zona comprobada, 0 difieren", ""},
        // Messages made from parts: each part in Spanish too.
        {"LANG=es_ES.UTF-8", "--check " + backwards,
         "Paraguay Standard Time  America/Asuncion  mal formada: Dynamic DST con LastEntry 1999 anterior a FirstEntry 2000\n", ""},
        {"LANG=es_ES.UTF-8", "Africa/Monrovia --windows-key X --from 1970 --to 1970", "",
         "ningún registro de Windows describe 1970: UTC-00:44:30 durante todo el año;", true},
        // An untranslated language, and the C locale, keep English.
        {"LC_ALL=C.UTF-8 LANGUAGE=fr", "--help", "Usage: zoneinf [OPTION]... ZONE...\n", ""},
        {"LC_ALL=C LANGUAGE=es", "No/Such", "", "zoneinf: unknown time zone 'No/Such' in "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.environment) + " zoneinf " + c.arguments);
        const testing::Run run = c.onSystemDatabase ? testing::RunZoneinf(c.arguments, c.environment)
                                                    : testing::RunOnTestDatabase(c.arguments, c.environment);
        EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output.substr(0, 300);
        testing::ExpectInErrors(run, c.inErrors);
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
