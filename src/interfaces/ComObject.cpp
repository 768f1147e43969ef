#include "interfaces/ComObject.h"

#include <cstring>

namespace {

[[noreturn]] void ThrowTypeMismatch() {
    throw EOleException(u"Type mismatch", hresult::kTypeMismatch);
}

} // namespace

EOleException::EOleException(std::u16string message, int32_t code)
    : std::runtime_error(Utf16ToUtf8(message)), m_message(std::move(message)), m_code(code) {}

std::string Utf16ToUtf8(std::u16string_view text) {
    // Written in place into room for the longest form of each unit (a pair of two units takes
    // four bytes, less than their six), then cut to what was written.
    size_t room = 0;
    for (const char16_t unit : text)
        room += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    std::string out(room, '\0');
    char* o = out.data();
    for (size_t i = 0; i < text.size(); ++i) {
        // Plain ASCII, which most text is, eight units at a time.
        while (i + 8 <= text.size() && ((text[i] | text[i + 1] | text[i + 2] | text[i + 3] | text[i + 4] | text[i + 5] |
                                         text[i + 6] | text[i + 7]) < 0x80)) {
            for (int k = 0; k < 8; ++k)
                o[k] = static_cast<char>(text[i + k]);
            o += 8;
            i += 8;
        }
        if (i == text.size())
            break;
        char32_t c = text[i];
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *o++ = static_cast<char>(0xF0 | (c >> 18));
            *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    AppendUtf16(out, text);
    return out;
}

void AppendUtf16(std::u16string& out, std::string_view text) {
    // Never more units than bytes: written in place, then cut to what was written.
    const size_t start = out.size();
    out.resize(start + text.size());
    char16_t* o = out.data() + start;
    size_t i = 0;
    while (i < text.size()) {
        // Plain ASCII, eight bytes at a time.
        while (i + 8 <= text.size()) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (word & 0x8080808080808080u)
                break;
            for (int k = 0; k < 8; ++k)
                o[k] = static_cast<unsigned char>(text[i + k]);
            o += 8;
            i += 8;
        }
        if (i == text.size())
            break;
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            *o++ = b;
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            *o++ = u'\uFFFD';
            ++i;
            continue;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        // An overlong form (a character written in more bytes than it needs, such as C0 8A for a
        // line feed) is not UTF-8: read as it is, it would smuggle in characters the text's
        // checks never saw.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            *o++ = u'\uFFFD';
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(c);
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

bool Variant::asBoolean() const {
    if (auto v = std::get_if<bool>(&m_value))
        return *v;
    ThrowTypeMismatch();
}

double Variant::asNumber() const {
    if (auto v = std::get_if<double>(&m_value))
        return *v;
    ThrowTypeMismatch();
}

OleDate Variant::asDateTime() const {
    if (auto v = std::get_if<OleDate>(&m_value))
        return *v;
    ThrowTypeMismatch();
}

const std::u16string& Variant::asText() const {
    if (auto v = std::get_if<std::u16string>(&m_value))
        return *v;
    ThrowTypeMismatch();
}

const Variant::Array& Variant::asArray() const {
    if (auto v = std::get_if<Array>(&m_value))
        return *v;
    ThrowTypeMismatch();
}

const Variant::Object& Variant::asObject() const {
    if (auto v = std::get_if<Object>(&m_value))
        return *v;
    ThrowTypeMismatch();
}

std::u16string IDispatchObject::DefaultValueText() {
    ThrowTypeMismatch();
}
