// Writing a file whole or not at all: a reader sees the old content or the new one, never part of
// either, and a failure leaves the old content and says so.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <filesystem>
#include <functional>
#include <stdexcept>

// Raised when a file could not be written; what() is the reason, in the words of the system.
class WholeFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the content of path with bytes (creating the file with newFilePermissions when it is
// missing). The bytes go to a temporary file of a unique name beside the file, synced to the disk,
// which then replaces it in one step (MoveIntoPlace); a symbolic link is written through (the file
// it points to gets the content). Where no file can be made beside it (a folder the user
// may not write), the file is rewritten in place, as RewriteInPlace does. Raises WholeFileError.
void WriteWholeFile(const QString& path, const QByteArray& bytes,
                    QFileDevice::Permissions newFilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner);

// Rewrites the existing file path in place with bytes. When the write fails (a full disk, a file
// size limit) the old content, which the caller read, is put back; the error then says whether
// that worked, so a damaged file is never left unannounced. Raises WholeFileError.
void RewriteInPlace(const QString& path, const QByteArray& bytes, const QByteArray& old);

// A path as the standard library takes it, and back.
std::filesystem::path FileSystemPath(const QString& path);
QString QtPath(const std::filesystem::path& path);

// Makes folder with every missing parent. Raises WholeFileError (the cause in the user's words).
void MakeFolder(const QString& folder);

// Writes path through a new temporary file beside it: fill writes the temporary file, given by
// its path (it exists and is empty), which then takes path's place in one step. On any failure
// the temporary file is removed and path is left as it was: a reader never finds part of a file
// under path. Raises WholeFileError for the file system's failures and lets fill's own through.
void WriteThroughTemporary(const QString& path, const std::function<void(const QString& temporary)>& fill);
// The same for bytes at hand.
void WriteThroughTemporary(const QString& path, const QByteArray& bytes);
