#include "xls/ByteSink.h"

#include <algorithm>

namespace xls {

ByteSink::ByteSink() : m_buffer(new uint8_t[kBufferSize]) {}

ByteSink::~ByteSink() = default;

void ByteSink::flush() {
    if (m_used == 0)
        return;
    const size_t used = m_used;
    m_used = 0;
    m_drained += used;
    drain(m_buffer.get(), used);
}

void ByteSink::writeLarge(const void* data, size_t size) {
    auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        if (m_used == kBufferSize)
            flush();
        const size_t n = std::min(size, kBufferSize - m_used);
        std::memcpy(m_buffer.get() + m_used, bytes, n);
        m_used += n;
        bytes += n;
        size -= n;
    }
}

void ByteSink::zeros(uint64_t count) {
    while (count > 0) {
        if (m_used == kBufferSize)
            flush();
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, kBufferSize - m_used));
        std::memset(m_buffer.get() + m_used, 0, n);
        m_used += n;
        count -= n;
    }
}

} // namespace xls
