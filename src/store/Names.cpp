#include "store/Names.h"

#include <QString>

namespace store {

std::u16string FoldCase(std::u16string_view text) {
    bool ascii = true;
    for (char16_t c : text)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        std::u16string out(text);
        for (auto& c : out)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
        return out;
    }
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded().toStdU16String();
}

std::u16string AbbreviateName(std::u16string_view name) {
    // Only a canonical name (its first component has a keyword) is abbreviated.
    std::u16string out;
    size_t start = 0;
    bool first = true;
    while (start <= name.size()) {
        size_t end = name.find(u'/', start);
        if (end == std::u16string_view::npos)
            end = name.size();
        std::u16string_view part = name.substr(start, end - start);
        while (!part.empty() && part.front() == u' ')
            part.remove_prefix(1);
        const size_t eq = part.find(u'=');
        if (eq != std::u16string_view::npos) {
            const auto key = FoldCase(part.substr(0, eq));
            if (key == u"cn" || key == u"ou" || key == u"o" || key == u"c")
                part.remove_prefix(eq + 1);
        } else if (first) {
            return std::u16string(name);
        }
        if (!first)
            out += u'/';
        out += part;
        first = false;
        start = end + 1;
    }
    return out;
}

} // namespace store
