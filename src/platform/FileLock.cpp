#include "platform/FileLock.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool IsFileLocked(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        return false;
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(fileName.utf16()), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(file);
    return false;
}

SharedFileLock::SharedFileLock(const std::filesystem::path&) {}
SharedFileLock::~SharedFileLock() = default;

#else

bool IsFileLocked(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        return false;
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    // Programs lock either the whole file (flock) or byte ranges (POSIX record locks, as SQLite
    // and most database programs do); either kind held by another process counts.
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 0; // to the end, however far it grows
    const bool locked =
        ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fcntl(fd, F_GETLK, &range) != 0 || range.l_type != F_UNLCK;
    ::close(fd); // also drops the lock just taken
    return locked;
}

SharedFileLock::SharedFileLock(const std::filesystem::path& file) {
    m_fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

SharedFileLock::~SharedFileLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

#endif
