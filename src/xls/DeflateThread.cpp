#include "xls/DeflateThread.h"

#include <new>
#include <utility>

namespace xls {

DeflateThread::DeflateThread() : m_thread([this] { run(); }) {}

DeflateThread::~DeflateThread() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DeflateThread::write(Deflater& stream, std::string& chunk) {
    stream.checksum(chunk); // here, so that the two threads share the work more evenly
    push({&stream, std::move(chunk), false}, &chunk);
}

void DeflateThread::finish(Deflater& stream) {
    push({&stream, {}, true}, nullptr);
}

void DeflateThread::push(Job job, std::string* spent) {
    std::unique_lock lock(m_mutex);
    raiseFailure();
    if (m_jobs.size() >= kWaiting) {
        // Full: wait until half of it is done, so that the threads do not wake each other per chunk.
        m_callerWaits = true;
        m_changed.wait(lock, [this] { return m_jobs.size() <= kWaiting / 2; });
        m_callerWaits = false;
    }
    m_jobs.push_back(std::move(job));
    if (spent) {
        spent->clear();
        if (!m_spent.empty()) {
            std::swap(*spent, m_spent.back());
            m_spent.pop_back();
        }
    }
    const bool wake = m_threadWaits;
    lock.unlock();
    if (wake)
        m_changed.notify_all();
}

void DeflateThread::wait() {
    std::unique_lock lock(m_mutex);
    m_callerWaits = true;
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    m_callerWaits = false;
    raiseFailure();
}

void DeflateThread::raiseFailure() {
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void DeflateThread::run() {
    for (;;) {
        Job job;
        bool failed = false;
        {
            std::unique_lock lock(m_mutex);
            m_threadWaits = true;
            m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stop; });
            m_threadWaits = false;
            if (m_stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
            failed = m_failure != nullptr;
        }
        std::exception_ptr failure;
        if (!failed) {
            try {
                if (job.finish)
                    job.stream->finish();
                else
                    job.stream->compress(job.chunk);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        bool wake = false;
        {
            std::lock_guard lock(m_mutex);
            m_busy = false;
            if (failure)
                m_failure = failure;
            if (job.chunk.capacity() > 0) {
                job.chunk.clear();
                try {
                    m_spent.push_back(std::move(job.chunk));
                } catch (const std::bad_alloc&) {
                    // The buffer is not kept for reuse; the next chunk makes its own.
                }
            }
            wake = m_callerWaits && m_jobs.size() <= kWaiting / 2;
        }
        if (wake)
            m_changed.notify_all();
    }
}

} // namespace xls
