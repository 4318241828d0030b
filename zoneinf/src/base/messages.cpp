#include "base/messages.h"

#include "base/text_decoder.h"
#include "base/whole_file.h"

#include <vector>

namespace zoneinf {

std::string Fill(const std::string& pattern, std::initializer_list<std::string> values)
{
    const std::vector<std::string> given(values);
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t index = i + 1 < pattern.size() ? size_t(pattern[i + 1] - '1') : given.size();
        if (pattern[i] == '%' && index < given.size() && index < 9) {
            text += given[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

void WriteMessage(const std::string& message)
{
    WriteStandardError("zoneinf: " + EscapeForTerminal(message) + "\n");
}

}  // namespace zoneinf
