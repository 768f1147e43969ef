#include "export/FileQueue.h"

#include "access/ErrorMessage.h"
#include "platform/WholeFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <limits>
#include <utility>

namespace {
constexpr size_t kBatch = 64; // tasks gathered before the thread is woken: waking costs more than a small file
} // namespace

FileQueue::FileQueue(qsizetype maxPendingBytes, Writer writeFile)
    : m_writeFile(writeFile ? std::move(writeFile) : Writer([](const QString& path, const QByteArray& bytes) {
          WriteThroughTemporary(path, bytes);
      })),
      m_outOfMemory(QCoreApplication::translate("Export", "内存不足")),
      m_worker(Worker::Limits{std::numeric_limits<size_t>::max(), static_cast<size_t>(maxPendingBytes), kBatch}) {}

FileQueue::~FileQueue() {
    try {
        m_worker.finish();
    } catch (...) {
        // The export asks finish() for its failures; a queue ended without it belongs to an
        // export that is failing already and says so itself.
    }
}

void FileQueue::makeFolder(const QString& folder) {
    m_worker.post([this, task = Task{folder, {}, true, {}, 0}]() mutable { run(task); });
}

void FileQueue::write(const QString& path, QByteArray bytes, MissingFile ifFailed, uint64_t order) {
    const size_t size = static_cast<size_t>(bytes.size());
    Task task{path, std::move(bytes), false, std::move(ifFailed), order};
    m_worker.post([this, task = std::move(task)]() mutable { run(task); }, size);
}

std::vector<std::pair<uint64_t, MissingFile>> FileQueue::finish() {
    m_worker.finish();
    return std::exchange(m_failed, {});
}

void FileQueue::run(Task& task) {
    QString reason = make(task);
    if (task.folder)
        return;
    if (reason.isEmpty()) {
        ++m_written;
        return;
    }
    task.ifFailed.reason = std::move(reason);
    m_failed.emplace_back(task.order, std::move(task.ifFailed)); // no memory for it: the queue breaks
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
