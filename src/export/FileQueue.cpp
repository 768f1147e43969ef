#include "export/FileQueue.h"

#include <QDir>
#include <QSaveFile>

namespace {
constexpr size_t kBatch = 64; // tasks gathered before the thread is woken
} // namespace

FileQueue::FileQueue(qsizetype maxPendingBytes) : m_maxPendingBytes(maxPendingBytes), m_thread([this] { run(); }) {}

FileQueue::~FileQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void FileQueue::makeFolder(const QString& folder) {
    push({folder, {}, true, {}, 0});
}

void FileQueue::write(const QString& path, QByteArray bytes, MissingFile ifFailed, uint64_t order) {
    push({path, std::move(bytes), false, std::move(ifFailed), order});
}

bool FileQueue::Full() const {
    return m_tasks.size() >= kBatch || m_pendingBytes >= m_maxPendingBytes / 4;
}

void FileQueue::push(Task task) {
    std::unique_lock lock(m_mutex);
    // A file larger than the limit waits only for the queue to empty.
    if (!m_tasks.empty() && m_pendingBytes + task.bytes.size() > m_maxPendingBytes) {
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock,
                       [&] { return m_tasks.empty() || m_pendingBytes + task.bytes.size() <= m_maxPendingBytes; });
        --m_waiting;
    }
    m_pendingBytes += task.bytes.size();
    m_tasks.push_back(std::move(task));
    // The thread is woken for a batch, not for each file: a wake-up costs more than a small file.
    const bool wake = m_idle && Full();
    lock.unlock();
    if (wake)
        m_changed.notify_all();
}

std::vector<std::pair<uint64_t, MissingFile>> FileQueue::finish() {
    std::unique_lock lock(m_mutex);
    ++m_waiting;
    m_changed.notify_all(); // the thread may wait for a fuller batch
    m_changed.wait(lock, [&] { return m_tasks.empty() && m_idle; });
    --m_waiting;
    return std::exchange(m_failed, {});
}

void FileQueue::run() {
    std::deque<Task> batch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_tasks.empty()) {
            m_idle = true;
            if (m_waiting > 0)
                m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_stop || (!m_tasks.empty() && (m_waiting > 0 || Full())); });
            if (m_tasks.empty())
                return; // stopped, and nothing left to make
            m_idle = false;
        }
        // All that waits is taken at once: the lock is taken once a batch, not once a file.
        batch.swap(m_tasks);
        lock.unlock();

        qsizetype done = 0;
        std::vector<std::pair<uint64_t, MissingFile>> failed;
        for (Task& task : batch) {
            done += task.bytes.size();
            if (task.folder) {
                QDir().mkpath(task.path);
                continue;
            }
            QSaveFile file(task.path);
            if (!file.open(QIODevice::WriteOnly) || file.write(task.bytes) != task.bytes.size() || !file.commit()) {
                task.ifFailed.reason = file.errorString();
                failed.emplace_back(task.order, std::move(task.ifFailed));
            }
        }
        batch.clear();

        lock.lock();
        m_pendingBytes -= done;
        for (auto& entry : failed)
            m_failed.push_back(std::move(entry));
        if (m_waiting > 0)
            m_changed.notify_all();
    }
}
