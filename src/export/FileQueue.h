// Folders and files an export writes from bytes it already holds (pictures, whole long texts),
// made on a thread of their own while the export reads on. They are made in the order given; each
// file that cannot be written is kept, with its place in the export's order of files, for the
// list of missing files.
#pragma once

#include "export/DocumentFiles.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class FileQueue {
public:
    // maxPendingBytes: how much file data may wait; beyond it, write() waits for the thread.
    explicit FileQueue(qsizetype maxPendingBytes = qsizetype{64} << 20);
    // Makes what is still queued, then ends the thread.
    ~FileQueue();
    FileQueue(const FileQueue&) = delete;
    FileQueue& operator=(const FileQueue&) = delete;

    // Creates folder and its parents when missing; a failure shows in the files written there.
    void makeFolder(const QString& folder);
    // Writes bytes to path (replacing a file of that name); when it cannot, ifFailed (its reason
    // filled in) is kept under order.
    void write(const QString& path, QByteArray bytes, MissingFile ifFailed, uint64_t order);

    // Waits until everything queued is made; returns the failures so far, each with its order.
    std::vector<std::pair<uint64_t, MissingFile>> finish();

private:
    struct Task {
        QString path;
        QByteArray bytes;
        bool folder = false;
        MissingFile ifFailed;
        uint64_t order = 0;
    };

    void push(Task task);
    bool Full() const; // enough waits to wake the thread for
    void run();

    const qsizetype m_maxPendingBytes;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task> m_tasks;
    qsizetype m_pendingBytes = 0;
    bool m_idle = false; // the thread waits for tasks
    int m_waiting = 0;   // callers waiting for the thread
    bool m_stop = false;
    std::vector<std::pair<uint64_t, MissingFile>> m_failed;
    std::thread m_thread; // last: started once the rest is ready
};
