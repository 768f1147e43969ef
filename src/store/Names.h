// Names as the store compares them: without regard to letter case, and hierarchical names
// abbreviated.
#pragma once

#include <string>
#include <string_view>

namespace store {

// Letter-case-insensitive comparison for names of items, views and people.
std::u16string FoldCase(std::u16string_view text);
// Inline: item names are looked up this way for every field read.
inline bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80)
            return FoldCase(a) == FoldCase(b);
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

// Hierarchical names: "CN=Alice Smith/OU=Dev/O=Org" <-> "Alice Smith/Dev/Org".
std::u16string AbbreviateName(std::u16string_view name);

} // namespace store
