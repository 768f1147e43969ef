#include "nsf/Lmbcs.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nsf {

namespace {

// Code page 850 from 0x80 on: the characters of group 1.
constexpr std::array<char16_t, 128> kCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C,
    0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6,
    0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

constexpr char16_t kReplacement = 0xFFFD;

// The code page of each group byte that is converted by a converter of Qt's (which knows them
// with ICU) or, on Windows, of the system's: its name and its Windows number.
struct CodePage {
    const char* name;
    unsigned number;
};
CodePage CodePageOf(uint8_t group) {
    switch (group) {
    case 0x02:
        return {"ibm-851", 851};
    case 0x03:
        return {"windows-1255", 1255};
    case 0x04:
        return {"windows-1256", 1256};
    case 0x05:
        return {"windows-1251", 1251};
    case 0x06:
        return {"ibm-852", 852};
    case 0x08:
        return {"windows-1254", 1254};
    case 0x0B:
        return {"windows-874", 874};
    case 0x10:
        return {"Shift_JIS", 932};
    case 0x11:
        return {"windows-949", 949};
    case 0x12:
        return {"Big5", 950};
    case 0x13:
        return {"GB18030", 936}; // GB18030 contains GBK, code page 936, which is what the group holds
    default:
        return {nullptr, 0};
    }
}

// The run's bytes in code page, as UTF-16; nothing where no converter knows the code page.
std::optional<std::u16string> Decode(CodePage codePage, std::string_view bytes) {
#ifdef _WIN32
    if (codePage.number == 0)
        return std::nullopt;
    if (bytes.empty())
        return std::u16string();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage.number, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::u16string text(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(codePage.number, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
#else
    QStringDecoder decoder(codePage.name ? codePage.name : "", QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    const QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
#endif
}

bool IsDoubleByteGroup(uint8_t group) {
    return group >= 0x10 && group <= 0x13;
}

// Characters of one code page, gathered so that a run of them converts in one call.
class Run {
public:
    void add(uint8_t group, std::string_view bytes, LmbcsText& out) {
        if (group != m_group)
            flush(out);
        m_group = group;
        m_bytes.append(bytes);
        ++m_count;
    }
    void flush(LmbcsText& out) {
        if (m_count == 0)
            return;
        if (const auto text = Decode(CodePageOf(m_group), m_bytes)) {
            out.text += *text;
            out.unconverted += static_cast<size_t>(std::count(text->begin(), text->end(), kReplacement));
        } else {
            out.text.append(m_count, kReplacement);
            out.unconverted += m_count;
        }
        m_bytes.clear();
        m_count = 0;
    }

private:
    uint8_t m_group = 0;
    std::string m_bytes;
    size_t m_count = 0;
};

} // namespace

LmbcsText LmbcsToUtf16(std::string_view bytes) {
    LmbcsText out;
    out.text.reserve(bytes.size());
    Run run;
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const uint8_t c = byte(i);
        if (c >= 0x20 && c < 0x80) {
            // A run of ASCII, the most of most texts, taken at once.
            run.flush(out);
            size_t end = i + 1;
            while (end < n && byte(end) >= 0x20 && byte(end) < 0x80)
                ++end;
            out.text.append(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                            bytes.begin() + static_cast<std::ptrdiff_t>(end));
            i = end;
        } else if (c >= 0x20 || c == 0x00 || c == 0x09 || c == 0x0A || c == 0x0D) {
            run.flush(out);
            out.text.push_back(c == 0x00 ? u'\n' : c < 0x80 ? static_cast<char16_t>(c) : kCp850[c - 0x80]);
            ++i;
        } else if (c == 0x14 && i + 2 < n) {
            run.flush(out);
            out.text.push_back(static_cast<char16_t>(byte(i + 1) << 8 | byte(i + 2)));
            i += 3;
        } else if (c == 0x01 && i + 1 < n) {
            run.flush(out);
            const uint8_t b = byte(i + 1);
            out.text.push_back(b < 0x80 ? static_cast<char16_t>(b) : kCp850[b - 0x80]);
            i += 2;
        } else if (c == 0x0F && i + 1 < n) {
            // A control character, kept with 0x20 added.
            run.flush(out);
            const uint8_t b = byte(i + 1);
            out.text.push_back(static_cast<char16_t>(b >= 0x20 ? b - 0x20 : b));
            i += 2;
        } else if (IsDoubleByteGroup(c) && i + 1 < n) {
            // Japanese half-width katakana take one byte; every other character two.
            const size_t width = (c == 0x10 && byte(i + 1) >= 0xA1 && byte(i + 1) <= 0xDF) ? 1 : 2;
            if (i + width >= n) {
                run.flush(out);
                out.text.push_back(kReplacement);
                ++out.unconverted;
                break;
            }
            run.add(c, bytes.substr(i + 1, width), out);
            i += 1 + width;
        } else if (CodePageOf(c).name && i + 1 < n) {
            run.add(c, bytes.substr(i + 1, 1), out);
            i += 2;
        } else if (c >= 0x15 && c <= 0x19 && i + 2 < n) {
            // Groups of two bytes this program has no table for.
            run.flush(out);
            out.text.push_back(kReplacement);
            ++out.unconverted;
            i += 3;
        } else {
            // Other control bytes, and a group byte with nothing after it.
            run.flush(out);
            if (c < 0x20 && (c == 0x07 || c == 0x0C || c == 0x0E || c >= 0x1A)) {
                out.text.push_back(static_cast<char16_t>(c));
            } else {
                out.text.push_back(kReplacement);
                ++out.unconverted;
            }
            ++i;
        }
    }
    run.flush(out);
    return out;
}

std::u16string Lmbcs(std::string_view bytes) {
    return LmbcsToUtf16(bytes).text;
}

} // namespace nsf
