// Folders and files an export writes from bytes it already holds (pictures, whole long texts),
// made on a thread of their own while the export reads on. They are made in the order given, each
// file whole or not at all; each file that cannot be written (whatever the reason, memory among
// them) is kept, with its place in the export's order of files, for the list of missing files.
#pragma once

#include "export/DocumentFiles.h"
#include "interfaces/Worker.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class FileQueue {
public:
    // Writes a file whole or not at all; raises an error carrying the reason when it cannot.
    using Writer = std::function<void(const QString& path, const QByteArray& bytes)>;

    // maxPendingBytes: how much file data may wait; beyond it, write() waits for the thread.
    // writeFile: how a file is written (by default through a temporary file beside it).
    explicit FileQueue(qsizetype maxPendingBytes = qsizetype{64} << 20, Writer writeFile = {});
    // Makes what is still queued, then ends the thread.
    ~FileQueue();
    FileQueue(const FileQueue&) = delete;
    FileQueue& operator=(const FileQueue&) = delete;

    // Creates folder and its parents when missing; when it cannot, that is the reason given for
    // the files queued for it.
    void makeFolder(const QString& folder);
    // Writes bytes to path (replacing a file of that name); when it cannot, ifFailed (its reason
    // filled in) is kept under order. Raises only where the queue itself broke (no memory to keep
    // a failure), as finish() does.
    void write(const QString& path, QByteArray bytes, MissingFile ifFailed, uint64_t order);

    // Waits until everything queued is made; returns the failures so far, each with its order.
    std::vector<std::pair<uint64_t, MissingFile>> finish();
    // The files written so far; call after finish().
    qsizetype written() const { return m_written; }

private:
    struct Task {
        QString path;
        QByteArray bytes;
        bool folder = false;
        MissingFile ifFailed;
        uint64_t order = 0;
    };

    // Makes one task on the thread, keeping a failure; raises only when that cannot be kept.
    void run(Task& task);
    // Makes one task; the reason when it could not. Never raises.
    QString make(const Task& task) noexcept;
    QString tryMake(const Task& task);

    const Writer m_writeFile;
    const QString m_outOfMemory; // told where even the reason cannot be made
    // The thread's own: what failed, the files written, folders that could not be made and why.
    std::vector<std::pair<uint64_t, MissingFile>> m_failed;
    qsizetype m_written = 0;
    QHash<QString, QString> m_failedFolders;
    Worker m_worker; // last: its jobs use the rest
};
