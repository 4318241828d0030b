#include "base/errors.h"

#include "base/messages.h"

namespace zoneinf {

Failure UnreadableInput(const std::string& name, const std::string& what, std::size_t line)
{
    return Failure(kExitUnreadableInput,
                   name + ": " + (line == 0 ? what : Fill(_("line %1: %2"), {std::to_string(line), what})));
}

}  // namespace zoneinf
