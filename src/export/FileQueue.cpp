#include "export/FileQueue.h"

#include "access/ErrorMessage.h"
#include "platform/WholeFile.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
constexpr size_t kBatch = 64; // tasks gathered before the thread is woken
} // namespace

FileQueue::FileQueue(qsizetype maxPendingBytes, Writer writeFile)
    : m_maxPendingBytes(maxPendingBytes),
      m_writeFile(writeFile ? std::move(writeFile) : Writer([](const QString& path, const QByteArray& bytes) {
          WriteThroughTemporary(path, bytes);
      })),
      m_outOfMemory(QCoreApplication::translate("Export", "内存不足")), m_thread([this] { run(); }) {}

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
        qsizetype written = 0;
        std::vector<std::pair<uint64_t, MissingFile>> failed;
        failed.reserve(batch.size()); // before the files: no failure is lost for want of memory after them
        for (Task& task : batch) {
            done += task.bytes.size();
            QString reason = make(task);
            if (task.folder)
                continue;
            if (reason.isEmpty()) {
                ++written;
                continue;
            }
            task.ifFailed.reason = std::move(reason);
            failed.emplace_back(task.order, std::move(task.ifFailed));
        }
        batch.clear();

        lock.lock();
        m_pendingBytes -= done;
        m_written += written;
        for (auto& entry : failed)
            m_failed.push_back(std::move(entry));
        if (m_waiting > 0)
            m_changed.notify_all();
    }
}

QString FileQueue::make(const Task& task) noexcept {
    try {
        return tryMake(task);
    } catch (...) {
        return m_outOfMemory;
    }
}

QString FileQueue::tryMake(const Task& task) {
    try {
        if (task.folder) {
            try {
                MakeFolder(task.path);
            } catch (const std::exception& error) {
                m_failedFolders.insert(task.path, FolderFailedReason(ExceptionMessage(error)));
            }
            return {};
        }
        if (const auto folder = m_failedFolders.constFind(QFileInfo(task.path).path());
            folder != m_failedFolders.cend())
            return *folder;
        m_writeFile(task.path, task.bytes);
        return {};
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("Export", "内存不足");
    } catch (const std::exception& error) {
        return ExceptionMessage(error);
    } catch (...) {
        return QCoreApplication::translate("Export", "未知错误");
    }
}
