// Text helpers shared by every layer. Standard C++ only.
#pragma once

#include <string>
#include <string_view>

// text without the characters of code 32 or less (blanks, tabs, line breaks, control
// characters) at either end.
template <class Char> std::basic_string_view<Char> TrimBlanks(std::basic_string_view<Char> text) {
    while (!text.empty() && static_cast<unsigned>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

// text with its ASCII letters upper-cased (others, Chinese among them, stay as they are): the way
// universal IDs, sheet names and registry keys are compared.
inline std::u16string AsciiUpper(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return out;
}

inline std::u16string TrimBlanks(const std::u16string& text) {
    return std::u16string(TrimBlanks(std::u16string_view(text)));
}
