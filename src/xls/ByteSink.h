// Buffered byte output for the pieces of a workbook. Every piece writes little-endian values to a
// ByteSink it is given; the subclass decides where full buffers go (a string for tests, nowhere
// for a size count, a file for a save).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace xls {

class ByteSink {
public:
    ByteSink();
    virtual ~ByteSink();
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    void write(const void* data, size_t size) {
        if (size <= kBufferSize - m_used) {
            std::memcpy(m_buffer.get() + m_used, data, size);
            m_used += size;
        } else {
            writeLarge(data, size);
        }
    }
    void u8(uint8_t value) { write(&value, 1); }
    void u16(uint16_t value) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        write(bytes, 2);
    }
    void u32(uint32_t value) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
        write(bytes, 4);
    }
    void u64(uint64_t value) {
        u32(static_cast<uint32_t>(value));
        u32(static_cast<uint32_t>(value >> 32));
    }
    void zeros(uint64_t count);

    // Bytes written so far, buffered or not.
    uint64_t position() const noexcept { return m_drained + m_used; }
    // Hands the buffered bytes on.
    void flush();

protected:
    // Receives the buffered bytes in order; may throw.
    virtual void drain(const uint8_t* data, size_t size) = 0;

private:
    static constexpr size_t kBufferSize = 256 * 1024;
    void writeLarge(const void* data, size_t size);

    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_used = 0;
    uint64_t m_drained = 0;
};

// Collects the bytes in a string.
class StringSink : public ByteSink {
public:
    const std::string& bytes() {
        flush();
        return m_bytes;
    }

protected:
    void drain(const uint8_t* data, size_t size) override { m_bytes.append(reinterpret_cast<const char*>(data), size); }

private:
    std::string m_bytes;
};

// Counts the bytes and drops them.
class CountingSink : public ByteSink {
protected:
    void drain(const uint8_t*, size_t) override {}
};

} // namespace xls
