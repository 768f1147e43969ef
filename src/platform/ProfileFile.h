// A profile (INI) file read and written with the rules of the system's profile functions:
// section and key names match without regard to case, a line without "=" is a key with an empty
// value, a missing file, section or key reads as the default, writing creates file, section and
// key as needed and keeps every other line (and the letter case of the key it rewrites).
//
// Encoding: a file that starts with a UTF-8 or UTF-16 byte-order mark is read and rewritten in
// that encoding, mark kept; any other file is GB18030 (which contains the GBK of the Windows
// program), and a new file is written in GB18030. On Windows the system's own profile functions
// do the work.
#pragma once

#include <QString>

#include <stdexcept>

// Raised when a value cannot be written; message() is "Unable to write to <path>", followed by
// the reason where there is one beyond the file itself.
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& path, const QString& reason = QString());
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

class ProfileFile {
public:
    // Longest value ReadString returns, in bytes of the program's ANSI text (GBK: two for a
    // Chinese character); a longer value is cut there, after its last whole character.
    static constexpr int kMaxValueBytes = 2047;

    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // The value of key in section, without surrounding blanks and quotes; defaultValue when the
    // file, the section or the key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;

    // Sets key in section. A new file is created readable and writable by its owner only. The
    // file is replaced through a temporary file beside it, so a failed write leaves it as it
    // was; where no file can be created beside it (a folder the user may not write), it is
    // rewritten in place, and put back as it was if that write fails. A section, key or value
    // holding a line break is refused (it would change the file's structure).
    void WriteString(const QString& section, const QString& key, const QString& value);

private:
    QString m_path;
};
