#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
// Writes all of bytes at the start of fd and cuts the file there; the system's reason on failure.
QString WriteAt(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC));
        done += n;
    }
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}
#endif

} // namespace

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
    throw WholeFileError((reason + QStringLiteral("; the file could not be put back as it was")).toStdString());
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw WholeFileError(std::strerror(errno));
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
        (reason + QStringLiteral("; the file could not be put back as it was (") + restore + QLatin1Char(')'))
            .toStdString());
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
