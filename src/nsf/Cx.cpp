#include "nsf/Cx.h"

#include "nsf/Bytes.h"
#include "nsf/ReasonText.h"

#include <algorithm>
#include <cstdint>

namespace nsf {

namespace {

class BitReader {
public:
    explicit BitReader(std::string_view bytes) : m_bytes(bytes), m_end(bytes.size() * 8) {}

    unsigned bit() {
        if (m_pos >= m_end)
            throw FormatError(reason_text::CompressedEndsEarly());
        const unsigned value = (static_cast<uint8_t>(m_bytes[m_pos >> 3]) >> (m_pos & 7)) & 1u;
        ++m_pos;
        return value;
    }
    size_t bits(unsigned count) {
        size_t value = 0;
        for (unsigned i = 0; i < count; ++i)
            value |= static_cast<size_t>(bit()) << i;
        return value;
    }
    // Zero bits up to the next one bit; more than 24 is no code of this format.
    unsigned zeros() {
        unsigned count = 0;
        while (bit() == 0)
            if (++count > 24)
                throw FormatError(reason_text::CompressedImpossibleLength());
        return count;
    }

private:
    std::string_view m_bytes;
    size_t m_pos = 3; // after the mode
    size_t m_end;
};

// The end marker: a length code of this many zero bits and this value.
constexpr unsigned kEndLengthZeros = 7;
constexpr size_t kEndLengthValue = 1;

} // namespace

std::string CxExpand(std::string_view compressed, size_t limit) {
    if (compressed.empty())
        throw FormatError(reason_text::CompressedEmpty());
    const unsigned mode = static_cast<uint8_t>(compressed[0]) & 7u;
    if (mode <= 3)
        throw FormatError(reason_text::CompressedUnknownMode(mode));
    std::string out;
    out.reserve(std::min<size_t>(limit, compressed.size() * 4));
    BitReader in(compressed);
    for (;;) {
        if (in.bit() == 0) {
            if (out.size() >= limit)
                throw FormatError(reason_text::CompressedExpandsBeyond(limit));
            out.push_back(static_cast<char>(in.bits(8)));
            continue;
        }
        size_t length = 2;
        size_t distance = 0;
        if (in.bit() == 1) {
            distance = in.bits(8);
        } else {
            const unsigned n = in.zeros();
            if (n >= kEndLengthZeros) {
                // The end marker; no real copy is that long.
                if (n != kEndLengthZeros || in.bits(n + 1) != kEndLengthValue)
                    throw FormatError(reason_text::CompressedImpossibleLength());
                return out;
            }
            length = (size_t{1} << (n + 1)) + 1 + in.bits(n + 1);
            const unsigned m = in.zeros();
            const size_t high = m > 0 ? (size_t{1} << m) - 1 + in.bits(m) : 0;
            distance = high << 8 | in.bits(8);
        }
        if (distance == 0 || distance > out.size())
            throw FormatError(reason_text::CompressedRefersBeforeStart());
        if (length > limit - out.size())
            throw FormatError(reason_text::CompressedExpandsBeyond(limit));
        // Byte by byte: a copy may overlap what it writes.
        for (size_t i = 0, from = out.size() - distance; i < length; ++i)
            out.push_back(static_cast<char>(out[from + i]));
    }
}

std::string CxDecompress(std::string_view compressed, size_t size) {
    std::string out = CxExpand(compressed, size);
    if (out.size() != size)
        throw FormatError(reason_text::CompressedSize(out.size(), size));
    return out;
}

} // namespace nsf
