#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    if (const std::error_code error = ReplaceFile(FileSystemPath(temporary), FileSystemPath(path))) {
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
    throw WholeFileError((reason + QStringLiteral("；文件也未能恢复原样")).toStdString());
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
        (reason + QStringLiteral("；文件也未能恢复原样（") + restore + QStringLiteral("）")).toStdString());
#endif
}

void WriteWholeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions newFilePermissions) {
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        // The temporary file gets the new file's permissions before anything is written to it.
        if (!existed)
            file.setPermissions(newFilePermissions);
#ifdef _WIN32
        const bool written = file.write(bytes) == bytes.size();
        QString reason = written ? QString() : file.errorString();
#else
        // Written past Qt's buffer, whose flush can take a short write (a file size limit) for
        // success: every byte is accounted for before the file is put in place.
        QString reason = WriteAt(file.handle(), bytes);
        const bool written = reason.isEmpty();
#endif
        if (written && file.commit())
            return;
        if (reason.isEmpty())
            reason = file.errorString();
        file.cancelWriting();
        throw WholeFileError(reason.toStdString());
    }
    // No file can be made beside it: an existing file is rewritten where it is.
    const QString reason = file.errorString();
    if (!existed)
        throw WholeFileError(reason.toStdString());
    QFile current(path);
    if (!current.open(QIODevice::ReadOnly))
        throw WholeFileError(current.errorString().toStdString());
    const QByteArray old = current.readAll();
    current.close();
    RewriteInPlace(QFileInfo(path).canonicalFilePath(), bytes, old);
}
