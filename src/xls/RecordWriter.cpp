#include "xls/RecordWriter.h"

#include <stdexcept>

namespace xls {

void RecordWriter::begin(uint16_t type) {
    m_type = type;
    m_size = 0;
    m_pieceStart = position();
}

void RecordWriter::put(const void* data, size_t size) {
    if (size > room())
        throw std::logic_error("record piece overflow");
    if (size > 0)
        std::memcpy(m_data.data() + m_size, data, size);
    m_size += size;
}

void RecordWriter::putU16(uint16_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    put(bytes, 2);
}

void RecordWriter::putU32(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    put(bytes, 4);
}

void RecordWriter::writePiece() {
    record(m_type, m_data.data(), m_size);
}

void RecordWriter::continueRecord() {
    writePiece();
    begin(record::kContinue);
}

void RecordWriter::end() {
    writePiece();
    m_size = 0;
}

} // namespace xls
