// A compiled gettext catalogue (GNU gettext's .mo format, as msgfmt writes
// it) read in place, for a build without libintl that carries its
// catalogue inside the program (zoneinf.exe). Bounded: every offset is
// checked against the bytes before it is followed.
#pragma once

#include <optional>
#include <string_view>

namespace zoneinf {

class MoCatalogue {
public:
    // nullopt for bytes that are no little-endian .mo of revision 0 whose
    // tables lie inside them.
    static std::optional<MoCatalogue> Open(std::string_view bytes);

    // The translation of `english`, or nullopt. For an entry with a
    // plural, `english` is its singular and the translation holds the
    // forms separated by NUL ("zona\0zonas").
    std::optional<std::string_view> Find(std::string_view english) const;

private:
    explicit MoCatalogue(std::string_view bytes) : bytes_(bytes) {}
    // The entry's original (table 12) or translation (table 16), or
    // nullopt when it does not lie inside the bytes.
    std::optional<std::string_view> StringAt(std::size_t table, std::size_t index) const;

    std::string_view bytes_;
    std::size_t count_ = 0;
};

}  // namespace zoneinf
