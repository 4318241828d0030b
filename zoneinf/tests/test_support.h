// Shared by zoneinf's tests: the system database and mapping, a scratch
// folder, and instants written as text.
#pragma once

#include "model/time_model.h"
#include "tzdb/tz_database.h"

#include <filesystem>
#include <string>

namespace zoneinf::testing {

inline const TzDatabase& SystemDatabase()
{
    static const TzDatabase database(TzDatabase::kSystemFolder);
    return database;
}

// "2024-03-24T03:00:00Z" as an instant.
Instant At(const std::string& text);

// A fresh folder of the running test's own under the temporary folder,
// emptied first.
std::filesystem::path ScratchFolder(const std::string& name);

std::string ReadBytes(const std::filesystem::path& path);

// zoneinf itself, run with arguments as a shell would split them.
struct Run {
    int status = -1;
    std::string output;
    std::string errors;
};
// In the C locale unless `environment` ("LANGUAGE=es LC_ALL=C.UTF-8")
// says otherwise, so messages are English whatever the caller's locale.
Run RunZoneinf(const std::string& arguments, const std::string& environment = "LC_ALL=C");

}  // namespace zoneinf::testing
