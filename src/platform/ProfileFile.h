// A profile (INI) file read and written with the rules of the system's profile functions:
// section and key names match without regard to case, a missing file, section or key reads as
// the default, writing creates file, section and key as needed and keeps every other line.
// Files are UTF-8; a file that is not valid UTF-8 is read (and rewritten) as GB18030.
#pragma once

#include <QString>

#include <stdexcept>

// Raised when a value cannot be written; what() is "Unable to write to <path>".
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& path);
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

class ProfileFile {
public:
    // Longest value returned by ReadString; longer values are cut there.
    static constexpr int kMaxValueLength = 2047;

    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // The value of key in section, without surrounding blanks and quotes; defaultValue when the
    // file, the section or the key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;

    // Sets key in section. A new file is created readable and writable by its owner only.
    // The file is replaced atomically, so a failed write leaves it as it was.
    void WriteString(const QString& section, const QString& key, const QString& value);

private:
    QString m_path;
};
