#include "store/Note.h"
#include "store/Names.h"
#include "store/OleTime.h"
#include "store/Unid.h"
#include "store/ValueCodec.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QString>

#include <cmath>
#include <cstring>

namespace store {

namespace {

void PutU32(std::string& out, uint32_t v) {
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
    out.append(bytes, 4);
}

void PutF64(std::string& out, double d) {
    uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    char tag() {
        need(1);
        return m_bytes[m_pos++];
    }
    uint32_t u32() {
        need(4);
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(static_cast<unsigned char>(m_bytes[m_pos + i])) << (8 * i);
        m_pos += 4;
        return v;
    }
    double f64() {
        need(8);
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<uint64_t>(static_cast<unsigned char>(m_bytes[m_pos + i])) << (8 * i);
        m_pos += 8;
        double d;
        std::memcpy(&d, &v, sizeof d);
        return d;
    }
    std::string_view take(size_t n) {
        need(n);
        auto s = m_bytes.substr(m_pos, n);
        m_pos += n;
        return s;
    }

private:
    void need(size_t n) const {
        if (n > m_bytes.size() - m_pos)
            throw CorruptData("value list truncated");
    }
    std::string_view m_bytes;
    size_t m_pos = 0;
};

} // namespace

const ItemData* NoteData::findItem(std::u16string_view name) const {
    for (const auto& item : items)
        if (EqualsIgnoreCase(item.name, name))
            return &item;
    return nullptr;
}

std::vector<std::u16string> NoteData::attachmentNames() const {
    std::vector<std::u16string> names;
    for (const auto& file : files)
        if (file.kind == file_kind::kAttachment)
            names.push_back(file.name);
    return names;
}

std::string EncodeValues(const ValueList& values) {
    std::string out;
    for (const auto& value : values) {
        if (auto text = std::get_if<std::u16string>(&value)) {
            const std::string utf8 = Utf16ToUtf8(*text);
            out += 'T';
            PutU32(out, static_cast<uint32_t>(utf8.size()));
            out += utf8;
        } else if (auto number = std::get_if<double>(&value)) {
            out += 'N';
            PutF64(out, *number);
        } else {
            out += 'D';
            PutF64(out, std::get<OleDate>(value).value);
        }
    }
    return out;
}

ValueList DecodeValues(std::string_view bytes) {
    ValueList values;
    Reader in(bytes);
    while (!in.atEnd()) {
        switch (in.tag()) {
        case 'T': {
            const uint32_t size = in.u32();
            values.emplace_back(Utf8ToUtf16(in.take(size)));
            break;
        }
        case 'N':
            values.emplace_back(in.f64());
            break;
        case 'D':
            values.emplace_back(OleDate{in.f64()});
            break;
        default:
            throw CorruptData("unknown value tag");
        }
    }
    return values;
}

std::string EncodeColumns(const std::vector<ValueList>& columns) {
    std::string out;
    for (const auto& column : columns) {
        const std::string encoded = EncodeValues(column);
        PutU32(out, static_cast<uint32_t>(encoded.size()));
        out += encoded;
    }
    return out;
}

std::vector<ValueList> DecodeColumns(std::string_view bytes) {
    std::vector<ValueList> columns;
    Reader in(bytes);
    while (!in.atEnd()) {
        const uint32_t size = in.u32();
        columns.push_back(DecodeValues(in.take(size)));
    }
    return columns;
}

Variant ToVariant(const Scalar& value) {
    if (auto text = std::get_if<std::u16string>(&value))
        return Variant(*text);
    if (auto number = std::get_if<double>(&value))
        return Variant(*number);
    return Variant(std::get<OleDate>(value));
}

Variant ToVariant(const ValueList& values) {
    if (values.empty())
        return Variant(std::u16string());
    if (values.size() == 1)
        return ToVariant(values.front());
    Variant::Array array;
    array.reserve(values.size());
    for (const auto& value : values)
        array.push_back(ToVariant(value));
    return Variant(std::move(array));
}

Variant ToVariantArray(const ValueList& values) {
    Variant::Array array;
    array.reserve(values.empty() ? 1 : values.size());
    for (const auto& value : values)
        array.push_back(ToVariant(value));
    if (array.empty())
        array.emplace_back(std::u16string());
    return Variant(std::move(array));
}

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

double ToOleDate(int year, int month, int day, int hour, int minute, int second, int msec) {
    const QDate date(year, month, day);
    const qint64 days = QDate(1899, 12, 30).daysTo(date);
    const double time = (hour * 3600.0 + minute * 60.0 + second + msec / 1000.0) / 86400.0;
    // Dates before 1899-12-30 keep the time as a positive fraction away from zero.
    return days >= 0 ? days + time : days - time;
}

CivilTime FromOleDate(double value) {
    if (!std::isfinite(value) || value > 2958465.0 || value < -657434.0)
        value = 0;
    double days = std::trunc(value);
    double fraction = std::fabs(value - days);
    long long centis = std::llround(fraction * 8640000.0);
    if (centis >= 8640000) {
        centis -= 8640000;
        days += value >= 0 ? 1 : -1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    CivilTime t{};
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = static_cast<int>(centis / 360000);
    t.minute = static_cast<int>(centis / 6000 % 60);
    t.second = static_cast<int>(centis / 100 % 60);
    t.centiseconds = static_cast<int>(centis % 100);
    return t;
}

std::optional<double> ParseIsoDate(std::u16string_view text) {
    // Parsed by hand: Qt's date-time parsing consults the local time zone on every call.
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    size_t pos = 0;
    auto number = [&](size_t digits, int& out) {
        if (text.size() - pos < digits)
            return false;
        out = 0;
        for (size_t i = 0; i < digits; ++i) {
            const char16_t c = text[pos + i];
            if (c < u'0' || c > u'9')
                return false;
            out = out * 10 + (c - u'0');
        }
        pos += digits;
        return true;
    };
    auto literal = [&](char16_t c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    };
    int year, month, day, hour = 0, minute = 0, second = 0;
    if (!number(4, year) || !literal(u'-') || !number(2, month) || !literal(u'-') || !number(2, day))
        return std::nullopt;
    if (pos < text.size()) {
        if (!(literal(u'T') || literal(u' ')) || !number(2, hour) || !literal(u':') || !number(2, minute))
            return std::nullopt;
        if (pos < text.size() && (!literal(u':') || !number(2, second)))
            return std::nullopt;
        if (pos != text.size())
            return std::nullopt;
    }
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return ToOleDate(year, month, day, hour, minute, second);
}

double OleNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return ToOleDate(now.date().year(), now.date().month(), now.date().day(), now.time().hour(), now.time().minute(),
                     now.time().second(), now.time().msec());
}

std::u16string NewUnid() {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string unid;
    unid.reserve(32);
    auto* random = QRandomGenerator::system();
    for (int i = 0; i < 4; ++i) {
        quint32 word = random->generate();
        for (int k = 0; k < 8; ++k) {
            unid += kHex[word & 0xF];
            word >>= 4;
        }
    }
    return unid;
}

bool IsValidUnid(std::u16string_view unid) {
    if (unid.size() != 32)
        return false;
    for (char16_t c : unid)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}

} // namespace store
