#include "platform/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "interfaces/FileSystem.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString Reason(int errnoValue) {
    return QString::fromStdU16String(SystemErrorText(errnoValue));
}

[[noreturn]] void Fail(const QString& reason) {
    throw WholeFileError(reason.toStdString());
}

#ifndef _WIN32
// Writes all of bytes at the start of fd and cuts the file there; the system's reason on failure.
QString WriteAt(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Reason(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
        return Reason(errno);
    return {};
}
#endif

// Opens a new file that must not exist yet (never someone else's file); -1 with errno set when it
// cannot.
int OpenNew(const QString& path) {
#ifdef _WIN32
    return _wopen(FileSystemPath(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    return ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
}

void Close(int fd) {
#ifdef _WIN32
    _close(fd);
#else
    ::close(fd);
#endif
}

// Writes all of bytes to fd; the cause on failure (a short write counts as a full disk).
QString WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<unsigned>(std::min<qsizetype>(bytes.size() - done, qsizetype{1} << 30));
#ifdef _WIN32
        const int n = _write(fd, bytes.constData() + done, chunk);
#else
        const ssize_t n = ::write(fd, bytes.constData() + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
#endif
        if (n <= 0)
            return Reason(n < 0 ? errno : ENOSPC);
        done += n;
    }
    return {};
}

// A new, empty temporary file beside path: its name and its open descriptor.
std::pair<QString, int> NewTemporaryBeside(const QString& path) {
    const QFileInfo info(path);
    const auto seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    int error = EEXIST;
    for (uint64_t attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        // A short name: the final name may already be as long as a name can be.
        const QString temporary =
            info.dir().filePath(QStringLiteral(".vdx%1.tmp").arg((seed + attempt * 7919) % 1000000007, 0, 36));
        const int fd = OpenNew(temporary);
        if (fd >= 0)
            return {temporary, fd};
        error = errno;
    }
    Fail(Reason(error));
}

// Puts temporary in path's place, removing it when that fails.
void PutInPlace(const QString& temporary, const QString& path) {
    if (const std::error_code error = MoveIntoPlace(FileSystemPath(temporary), FileSystemPath(path))) {
        QFile::remove(temporary);
        Fail(QString::fromStdU16String(SystemErrorText(error)));
    }
}

} // namespace

std::filesystem::path FileSystemPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString QtPath(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

void MakeFolder(const QString& folder) {
    std::error_code error;
    const std::filesystem::path path = FileSystemPath(folder);
    std::filesystem::create_directories(path, error);
    // create_directories reports a folder that already stands as success only on some runtimes.
    if (error && !std::filesystem::is_directory(path))
        Fail(QString::fromStdU16String(SystemErrorText(error)));
}

void WriteThroughTemporary(const QString& path, const std::function<void(const QString& temporary)>& fill) {
    const auto [temporary, fd] = NewTemporaryBeside(path);
    Close(fd);
    try {
        fill(temporary);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    PutInPlace(temporary, path);
}

void WriteThroughTemporary(const QString& path, const QByteArray& bytes) {
    const auto [temporary, fd] = NewTemporaryBeside(path);
    QString reason = WriteAll(fd, bytes);
#ifdef _WIN32
    const bool closed = _close(fd) == 0;
#else
    const bool closed = ::close(fd) == 0;
#endif
    if (reason.isEmpty() && !closed)
        reason = Reason(errno);
    if (!reason.isEmpty()) {
        QFile::remove(temporary);
        Fail(reason);
    }
    PutInPlace(temporary, path);
}

void RewriteInPlace(const QString& path, const QByteArray& bytes, const QByteArray& old) {
#ifdef _WIN32
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw WholeFileError(file.errorString().toStdString());
    const auto writeAll = [&file](const QByteArray& content) {
        return file.seek(0) && file.write(content) == content.size() && file.resize(content.size());
    };
    if (writeAll(bytes))
        return;
    const QString reason = file.errorString();
    if (writeAll(old))
        throw WholeFileError(reason.toStdString());
    throw WholeFileError(QCoreApplication::translate("WholeFile", "%1；文件也未能恢复原样").arg(reason).toStdString());
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        Fail(Reason(errno));
    const QString reason = WriteAt(fd, bytes);
    if (reason.isEmpty()) {
        ::close(fd);
        return;
    }
    const QString restore = WriteAt(fd, old);
    ::close(fd);
    if (restore.isEmpty())
        throw WholeFileError(reason.toStdString());
    throw WholeFileError(
        QCoreApplication::translate("WholeFile", "%1；文件也未能恢复原样（%2）").arg(reason, restore).toStdString());
#endif
}

void WriteWholeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions newFilePermissions) {
    const QFileInfo info(path);
    const bool existed = info.exists();
    // A symbolic link is written through: the file it points to gets the content.
    const QString target = existed && info.isSymLink() ? info.canonicalFilePath() : path;
    std::pair<QString, int> temporary;
    try {
        temporary = NewTemporaryBeside(target);
    } catch (const WholeFileError&) {
        if (!existed)
            throw;
        // No file can be made beside it: the existing file is rewritten where it is.
        QFile current(target);
        if (!current.open(QIODevice::ReadOnly))
            Fail(current.errorString());
        const QByteArray old = current.readAll();
        current.close();
        RewriteInPlace(target, bytes, old);
        return;
    }
    // The new file keeps the old one's permissions, or gets those asked for, before any byte.
    QFile::setPermissions(temporary.first, existed ? QFile::permissions(target) : newFilePermissions);
    QString reason = WriteAll(temporary.second, bytes);
#ifdef _WIN32
    if (reason.isEmpty() && _commit(temporary.second) != 0)
        reason = Reason(errno);
    const bool closed = _close(temporary.second) == 0;
#else
    if (reason.isEmpty() && ::fsync(temporary.second) != 0)
        reason = Reason(errno);
    const bool closed = ::close(temporary.second) == 0;
#endif
    if (reason.isEmpty() && !closed)
        reason = Reason(errno);
    if (!reason.isEmpty()) {
        QFile::remove(temporary.first);
        Fail(reason);
    }
    PutInPlace(temporary.first, target);
}
