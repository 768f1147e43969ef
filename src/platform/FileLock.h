// Whether another program holds a file, and the shared hold the program keeps on the database
// files it has open, so that other programs see them in use.
#pragma once

#include <QString>

#include <filesystem>

// True when the file exists and cannot be opened for reading by this opener alone: it cannot be
// opened for reading at all, or another opener holds it (on Linux: a shared or exclusive flock;
// on Windows: any open without full sharing). A missing file is not locked.
bool IsFileLocked(const QString& fileName);

// A shared lock on a file while the object lives (an flock on Linux; nothing on Windows, where
// the open file itself is the lock). A file that cannot be opened is simply not locked.
class SharedFileLock {
public:
    explicit SharedFileLock(const std::filesystem::path& file);
    ~SharedFileLock();
    SharedFileLock(const SharedFileLock&) = delete;
    SharedFileLock& operator=(const SharedFileLock&) = delete;

private:
    int m_fd = -1;
};
