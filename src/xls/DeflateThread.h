// Compresses, on a thread of its own, what the caller hands over while the caller goes on making
// more. Chunks are compressed in the order they were handed over, each into the stream it was
// handed with, so the bytes are those one thread would have made. At most a few chunks wait, so
// memory stays flat; their buffers come back to the caller for the next chunks.
#pragma once

#include "interfaces/Worker.h"
#include "xls/Zip.h"

#include <mutex>
#include <string>
#include <vector>

namespace xls {

class DeflateThread {
public:
    DeflateThread() = default;
    ~DeflateThread() = default; // what still waits is dropped
    DeflateThread(const DeflateThread&) = delete;
    DeflateThread& operator=(const DeflateThread&) = delete;

    // Hands chunk over to be written into stream; chunk comes back empty (a spent buffer, if there
    // is one). Raises a failure of what was handed over before.
    void write(Deflater& stream, std::string& chunk);
    // Ends stream after what was handed over for it before.
    void finish(Deflater& stream);
    // Waits until everything handed over is compressed. A failure (a temporary file that could not
    // be written, say) is raised here and by every later call: the streams are broken from then on.
    void wait();

private:
    static constexpr size_t kWaiting = 8; // chunks of 64 KB or so

    std::mutex m_spentMutex;
    std::vector<std::string> m_spent;          // buffers compressed, for the next chunks
    Worker m_worker{Worker::Limits{kWaiting}}; // last: its jobs use the rest
};

} // namespace xls
