#include "base/tzdata_release.h"

#include <regex>
#include <tuple>

namespace zoneinf {

bool IsTzdataRelease(const std::string& text)
{
    static const std::regex rule(kTzdataReleasePattern);
    return std::regex_match(text, rule);
}

bool OlderRelease(const std::string& a, const std::string& b)
{
    const auto rank = [](const std::string& release) {
        return std::make_tuple(release.substr(0, 4), release.size(), release.substr(4));
    };
    return rank(a) < rank(b);
}

}  // namespace zoneinf
