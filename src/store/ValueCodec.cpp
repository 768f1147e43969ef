#include "store/ValueCodec.h"

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

} // namespace store
