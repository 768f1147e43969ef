// LMBCS, the character set of text in Domino databases, to UTF-16.
//
// Bytes below 0x80 are ASCII; bytes from 0x80 on are the upper half of code page 850. Other
// characters carry a group byte in front: 0x01-0x0B a single-byte code page (0x01 code page 850,
// 0x02 Greek, 0x03 Hebrew, 0x04 Arabic, 0x05 Cyrillic, 0x06 Latin-2, 0x08 Turkish, 0x0B Thai)
// and one byte; 0x0F a control character; 0x10-0x13 a double-byte code page (Japanese, Korean,
// traditional and simplified Chinese) and its two bytes; 0x14 a UTF-16 unit, big-endian. A zero
// byte is a line break.
#pragma once

#include <string>
#include <string_view>

namespace nsf {

struct LmbcsText {
    std::u16string text;
    // Characters of a group this program cannot convert, each U+FFFD in text.
    size_t unconverted = 0;
};

LmbcsText LmbcsToUtf16(std::string_view bytes);

// The text alone; characters that cannot be converted are U+FFFD.
std::u16string Lmbcs(std::string_view bytes);

} // namespace nsf
