// BIFF records: a 2-byte type, a 2-byte data size and at most 8224 data bytes. Short records are
// written whole; a long one (the shared string table) is built piece by piece and continues in
// CONTINUE records when a piece is full. Positions are counted from the start of the workbook
// stream, which is where the sink stood when the writer was made.
#pragma once

#include "xls/ByteSink.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace xls {

namespace record {
constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kXf = 0x00E0;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kExtSst = 0x00FF;
constexpr uint16_t kWsBool = 0x0081;
constexpr uint16_t kColInfo = 0x007D;
constexpr uint16_t kDimensions = 0x0200;
constexpr uint16_t kRow = 0x0208;
constexpr uint16_t kLabelSst = 0x00FD;
constexpr uint16_t kBlank = 0x0201;
constexpr uint16_t kWindow2 = 0x023E;
} // namespace record

class RecordWriter {
public:
    static constexpr size_t kMaxData = 8224;
    static constexpr size_t kHeaderSize = 4;

    explicit RecordWriter(ByteSink& out) : m_out(out), m_base(out.position()) {}

    // A whole record; size must not exceed kMaxData.
    void record(uint16_t type, const void* data, size_t size) {
        const uint8_t header[4] = {static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8),
                                   static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)};
        m_out.write(header, 4);
        if (size > 0)
            m_out.write(data, size);
    }
    void record(uint16_t type) { record(type, nullptr, 0); }

    // Starts a record built piece by piece; finish it with end().
    void begin(uint16_t type);
    // Data bytes that still fit into the current piece.
    size_t room() const noexcept { return kMaxData - m_size; }
    // Appends to the current piece; the bytes must fit (see room()).
    void put(const void* data, size_t size);
    void putU8(uint8_t value) { put(&value, 1); }
    void putU16(uint16_t value);
    void putU32(uint32_t value);
    // Writes the current piece and starts a CONTINUE record.
    void continueRecord();
    // Writes the last piece.
    void end();

    // Stream position of the current piece's record header, and its data bytes so far.
    uint64_t pieceStart() const noexcept { return m_pieceStart; }
    size_t pieceSize() const noexcept { return m_size; }
    // Stream position of the next byte written (nothing staged).
    uint64_t position() const noexcept { return m_out.position() - m_base; }

private:
    void writePiece();

    ByteSink& m_out;
    uint64_t m_base;
    uint16_t m_type = 0;
    uint64_t m_pieceStart = 0;
    size_t m_size = 0;
    std::array<uint8_t, kMaxData> m_data{};
};

} // namespace xls
