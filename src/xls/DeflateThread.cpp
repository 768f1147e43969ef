#include "xls/DeflateThread.h"

#include <new>
#include <utility>

namespace xls {

void DeflateThread::write(Deflater& stream, std::string& chunk) {
    stream.checksum(chunk); // here, so that the two threads share the work more evenly
    m_worker.post([this, &stream, bytes = std::move(chunk)]() mutable {
        stream.compress(bytes);
        bytes.clear();
        std::lock_guard lock(m_spentMutex);
        try {
            m_spent.push_back(std::move(bytes));
        } catch (const std::bad_alloc&) {
            // The buffer is not kept for reuse; the next chunk makes its own.
        }
    });
    chunk.clear();
    std::lock_guard lock(m_spentMutex);
    if (!m_spent.empty()) {
        std::swap(chunk, m_spent.back());
        m_spent.pop_back();
    }
}

void DeflateThread::finish(Deflater& stream) {
    m_worker.post([&stream] { stream.finish(); });
}

void DeflateThread::wait() {
    m_worker.finish();
}

} // namespace xls
