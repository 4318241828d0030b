// Failures that end a run, each with the exit status that tells scripts
// what went wrong (listed in --help and zoneinf(1)).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace zoneinf {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitZonesDiffer = 1,     // --check: some zone differs or is malformed
    kExitUsage = 2,           // bad option, argument, zone name or key
    kExitUnreadableInput = 3, // database, mapping or checked file unreadable or malformed
    kExitIndescribable = 4,   // a year one Windows record cannot describe
    kExitWriteFailed = 5,     // the output could not be written
};

class Failure : public std::runtime_error {
public:
    Failure(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status)
    {
    }
    ExitStatus status() const { return status_; }

private:
    ExitStatus status_;
};

// The failure for an input that cannot be read (kExitUnreadableInput),
// naming it and, when there is one, the line (from 1) where it breaks:
// "zones.reg: line 12: not a registry value", "zones.reg: not valid UTF-8
// text". `what` is in the user's language already.
Failure UnreadableInput(const std::string& name, const std::string& what, std::size_t line = 0);

}  // namespace zoneinf
