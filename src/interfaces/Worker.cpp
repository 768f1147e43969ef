#include "interfaces/Worker.h"

#include <algorithm>
#include <utility>

Worker::Worker(Limits limits)
    : m_limits{std::max<size_t>(limits.jobs, 1), limits.bytes, std::max<size_t>(limits.batch, 1)},
      m_thread([this] { run(); }) {}

Worker::~Worker() {
    std::deque<Job> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_jobs);
        m_bytes = 0;
        m_stop = true;
    }
    m_threadChanged.notify_all();
    m_thread.join();
} // the dropped jobs go here, once the thread has ended

bool Worker::halfDone() const {
    return m_jobs.empty() || (m_jobs.size() <= m_limits.jobs / 2 && m_bytes <= m_limits.bytes / 2);
}

bool Worker::roomFor(size_t bytes) const {
    return m_jobs.empty() || (m_jobs.size() < m_limits.jobs && m_bytes + bytes <= m_limits.bytes);
}

bool Worker::enoughToWake() const {
    return m_jobs.size() >= m_limits.batch || m_bytes >= m_limits.bytes / 4 || m_roomWaiting > 0 || m_endWaiting > 0;
}

void Worker::wake() {
    if (m_idle && !m_jobs.empty())
        m_threadChanged.notify_one();
}

void Worker::post(std::function<void()> job, size_t bytes) {
    std::unique_lock lock(m_mutex);
    if (m_failure)
        std::rethrow_exception(m_failure);
    if (!roomFor(bytes)) {
        // Full: wait until half of it is done, so that the two threads do not wake each other per job.
        ++m_roomWaiting;
        wake();
        m_callerChanged.wait(lock, [&] {
            return m_failure || m_jobs.empty() ||
                   (m_jobs.size() <= m_limits.jobs / 2 && m_bytes + bytes <= m_limits.bytes);
        });
        --m_roomWaiting;
        if (m_failure)
            std::rethrow_exception(m_failure);
    }
    m_jobs.push_back({std::move(job), bytes});
    m_bytes += bytes;
    if (m_idle && enoughToWake()) {
        lock.unlock();
        m_threadChanged.notify_one();
    }
}

void Worker::finish() {
    std::unique_lock lock(m_mutex);
    ++m_endWaiting;
    wake();
    m_callerChanged.wait(lock, [this] { return m_jobs.empty() && !m_running; });
    --m_endWaiting;
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void Worker::drop() {
    std::deque<Job> dropped;
    std::unique_lock lock(m_mutex);
    dropped.swap(m_jobs);
    m_bytes = 0;
    ++m_endWaiting;
    m_callerChanged.wait(lock, [this] { return !m_running; });
    --m_endWaiting;
    lock.unlock();
} // the dropped jobs go here, outside the lock

std::exception_ptr Worker::failure() const {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void Worker::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_jobs.empty()) {
            m_idle = true;
            if (m_endWaiting > 0)
                m_callerChanged.notify_all();
            m_threadChanged.wait(lock, [this] { return m_stop || (!m_jobs.empty() && enoughToWake()); });
            m_idle = false;
            if (m_stop)
                return;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_bytes -= job.bytes;
        m_running = true;
        // A poster waiting for room goes on while this job runs, so that the two threads overlap.
        const bool room = m_roomWaiting > 0 && halfDone();
        lock.unlock();
        if (room)
            m_callerChanged.notify_all();

        std::exception_ptr failure;
        try {
            job.run();
        } catch (...) {
            failure = std::current_exception();
        }
        job.run = nullptr; // what the job holds is given back outside the lock

        lock.lock();
        if (failure && !m_failure) {
            m_failure = failure;
            std::deque<Job> dropped;
            dropped.swap(m_jobs);
            m_bytes = 0;
            // Still running: no caller sees the end before what the dropped jobs hold is given back.
            lock.unlock();
            dropped.clear();
            lock.lock();
        }
        m_running = false;
        if ((m_roomWaiting > 0 && halfDone()) || (m_endWaiting > 0 && m_jobs.empty()))
            m_callerChanged.notify_all();
    }
}
