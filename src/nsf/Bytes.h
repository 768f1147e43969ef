// Little-endian access to bytes read from a database file, every read checked against the bytes
// there are: a structure that claims more than it holds raises FormatError instead of reading
// past its end.
#pragma once

#include "nsf/ReasonText.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nsf {

// The file is no Domino database, or a structure in it is damaged or of a kind this reader does
// not know. The message names what is wrong and where.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "0x1A2B": file positions and note ids as the format notes write them.
std::string Hex(uint64_t value);

class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::string_view data) : m_data(data) {}

    size_t size() const { return m_data.size(); }
    std::string_view data() const { return m_data; }
    bool has(size_t offset, size_t count) const { return offset <= m_data.size() && count <= m_data.size() - offset; }

    uint8_t u8(size_t offset) const {
        check(offset, 1);
        return static_cast<uint8_t>(m_data[offset]);
    }
    uint16_t u16(size_t offset) const {
        check(offset, 2);
        return static_cast<uint16_t>(at(offset) | at(offset + 1) << 8);
    }
    uint32_t u32(size_t offset) const {
        check(offset, 4);
        return at(offset) | at(offset + 1) << 8 | at(offset + 2) << 16 | static_cast<uint32_t>(at(offset + 3)) << 24;
    }
    uint64_t u64(size_t offset) const { return u32(offset) | static_cast<uint64_t>(u32(offset + 4)) << 32; }
    double f64(size_t offset) const {
        const uint64_t bits = u64(offset);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string_view sub(size_t offset, size_t count) const {
        check(offset, count);
        return m_data.substr(offset, count);
    }

private:
    uint32_t at(size_t offset) const { return static_cast<uint8_t>(m_data[offset]); }
    void check(size_t offset, size_t count) const {
        if (!has(offset, count))
            throw FormatError(reason_text::StructureEndsEarly(count, offset, m_data.size()));
    }

    std::string_view m_data;
};

} // namespace nsf
