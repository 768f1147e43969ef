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

inline std::u16string TrimBlanks(const std::u16string& text) {
    return std::u16string(TrimBlanks(std::u16string_view(text)));
}
