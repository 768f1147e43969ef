#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <filesystem>
#include <optional>

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include <unistd.h>
#endif

namespace {

QString LineBreakReason(const QString& section, const QString& key, const QString& value) {
    const auto hasBreak = [](const QString& text) {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    };
    if (hasBreak(section) || hasBreak(key))
        return QStringLiteral("a section or key name holds a line break");
    if (hasBreak(value))
        return QStringLiteral("the value of %1 holds a line break").arg(key);
    return {};
}

// The program's ANSI text: GB18030, a superset of GBK.
QByteArray Ansi(const QString& text) {
    QStringEncoder gb("GB18030");
    return gb.isValid() ? QByteArray(gb(text)) : text.toLocal8Bit();
}

// value cut after its last whole character within kMaxValueBytes bytes of ANSI text.
QString CutToMaxBytes(const QString& value) {
    if (value.size() * 4 <= ProfileFile::kMaxValueBytes || Ansi(value).size() <= ProfileFile::kMaxValueBytes)
        return value;
    qsizetype end = 0;
    qsizetype bytes = 0;
    while (end < value.size()) {
        const qsizetype width = value[end].isHighSurrogate() && end + 1 < value.size() ? 2 : 1;
        bytes += Ansi(value.mid(end, width)).size();
        if (bytes > ProfileFile::kMaxValueBytes)
            break;
        end += width;
    }
    return value.left(end);
}

QString WriteErrorText(const QString& path, const QString& reason) {
    if (reason.isEmpty())
        return QStringLiteral("Unable to write to %1").arg(path);
    return QStringLiteral("Unable to write to %1: %2").arg(path, reason);
}

} // namespace

ProfileWriteError::ProfileWriteError(const QString& path, const QString& reason)
    : std::runtime_error(WriteErrorText(path, reason).toStdString()), m_message(WriteErrorText(path, reason)) {}

#ifdef _WIN32

// The system's profile functions. Values come back in the program's text whatever the file's
// encoding; the byte limit is that of the ANSI functions the Windows program used.
QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    std::vector<wchar_t> buffer(32768);
    const std::wstring defaultText = defaultValue.toStdWString();
    GetPrivateProfileStringW(section.toStdWString().c_str(), key.toStdWString().c_str(), defaultText.c_str(),
                             buffer.data(), static_cast<DWORD>(buffer.size()), m_path.toStdWString().c_str());
    return CutToMaxBytes(QString::fromWCharArray(buffer.data()));
}

void ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (const QString reason = LineBreakReason(section, key, value); !reason.isEmpty())
        throw ProfileWriteError(m_path, reason);
    if (!WritePrivateProfileStringW(section.toStdWString().c_str(), key.toStdWString().c_str(),
                                    value.toStdWString().c_str(), m_path.toStdWString().c_str()))
        throw ProfileWriteError(m_path);
}

#else

namespace {

enum class Encoding { Gb18030, Utf8, Utf16Le, Utf16Be };

struct ProfileText {
    QStringList lines;
    Encoding encoding = Encoding::Gb18030;
    QString newline = QStringLiteral("\n");
};

ProfileText Decode(const QByteArray& bytes) {
    ProfileText text;
    QString decoded;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text.encoding = Encoding::Utf8;
        decoded = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        text.encoding = bytes.startsWith("\xFF\xFE") ? Encoding::Utf16Le : Encoding::Utf16Be;
        QStringDecoder utf16(text.encoding == Encoding::Utf16Le ? QStringConverter::Utf16LE
                                                                : QStringConverter::Utf16BE);
        decoded = utf16(bytes.mid(2));
    } else {
        QStringDecoder gb("GB18030");
        decoded = gb.isValid() ? QString(gb(bytes)) : QString::fromLocal8Bit(bytes);
    }
    if (decoded.contains(QLatin1String("\r\n")))
        text.newline = QStringLiteral("\r\n");
    decoded.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.lines = decoded.split(QLatin1Char('\n'));
    if (!text.lines.isEmpty() && text.lines.back().isEmpty())
        text.lines.removeLast();
    return text;
}

QByteArray Encode(const ProfileText& text) {
    const QString joined = text.lines.join(text.newline) + text.newline;
    switch (text.encoding) {
    case Encoding::Utf8:
        return "\xEF\xBB\xBF" + joined.toUtf8();
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool little = text.encoding == Encoding::Utf16Le;
        QStringEncoder utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(little ? "\xFF\xFE" : "\xFE\xFF", 2) + QByteArray(utf16(joined));
    }
    case Encoding::Gb18030:
        break;
    }
    return Ansi(joined);
}

std::optional<QByteArray> ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The blanks the profile functions strip: ASCII white space and the DOS end-of-file mark.
bool IsProfileBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r') || u == 0x1A;
}

QString Trimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsProfileBlank(text[begin]))
        ++begin;
    while (end > begin && IsProfileBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// The section name of a "[name]" line, else nothing.
std::optional<QString> SectionName(const QString& line) {
    const QString t = Trimmed(line);
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const auto close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return Trimmed(t.mid(1, close - 1));
}

// Splits a "key=value" line; a line without "=" is a key with an empty value. Nothing for blank
// lines and comments.
std::optional<std::pair<QString, QString>> KeyValue(const QString& line) {
    const QString t = Trimmed(line);
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const auto eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::make_pair(t, QString());
    return std::make_pair(Trimmed(t.left(eq)), Trimmed(t.mid(eq + 1)));
}

QString Unquoted(const QString& value) {
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines of the first matching section: [begin, end) after the header; begin < 0 when missing.
std::pair<qsizetype, qsizetype> FindSection(const QStringList& lines, const QString& section) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !SameName(*name, section))
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !SectionName(lines[end]))
            ++end;
        return {i + 1, end};
    }
    return {-1, -1};
}

// The line of key in [begin, end), or -1.
qsizetype FindKey(const QStringList& lines, qsizetype begin, qsizetype end, const QString& key) {
    for (qsizetype i = begin; begin >= 0 && i < end; ++i) {
        const auto kv = KeyValue(lines[i]);
        if (kv && SameName(kv->first, key))
            return i;
    }
    return -1;
}

bool IsWritableFile(const QString& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path.toStdU16String(), ec);
    if (ec || !fs::exists(status))
        return true;
    if (!fs::is_regular_file(status))
        return false;
    const auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & anyWrite) == fs::perms::none)
        return false;
    // Someone else's file would otherwise be replaced by ours through the rename.
    if (::geteuid() != 0 && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return false;
    return true;
}

// Writes bytes to a new file beside path and renames it over path. False when no file can be
// created there or the rename fails (nothing is left behind); throws when the write fails.
bool ReplaceThroughTemporary(const QString& path, const QByteArray& bytes, QFileDevice::Permissions perms) {
    const QString temp = path + QStringLiteral(".tmp");
    QFile::remove(temp);
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly, perms))
        return false;
    const bool written = out.write(bytes) == bytes.size() && out.flush();
    out.close();
    std::error_code ec;
    if (written)
        std::filesystem::rename(temp.toStdU16String(), path.toStdU16String(), ec);
    if (written && !ec)
        return true;
    QFile::remove(temp);
    if (!written)
        throw ProfileWriteError(path);
    return false;
}

// Rewrites an existing file in place; a failed write puts the old content back.
void RewriteInPlace(const QString& path, const QByteArray& bytes, const QByteArray& old) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw ProfileWriteError(path);
    const auto writeAll = [&file](const QByteArray& content) {
        return file.seek(0) && file.write(content) == content.size() && file.resize(content.size()) && file.flush();
    };
    if (!writeAll(bytes)) {
        writeAll(old);
        throw ProfileWriteError(path);
    }
}

} // namespace

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto bytes = ReadBytes(m_path);
    if (!bytes)
        return defaultValue;
    const ProfileText text = Decode(*bytes);
    const auto [begin, end] = FindSection(text.lines, section);
    const qsizetype line = FindKey(text.lines, begin, end, key);
    if (line < 0)
        return defaultValue;
    return CutToMaxBytes(Unquoted(KeyValue(text.lines[line])->second));
}

void ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (const QString reason = LineBreakReason(section, key, value); !reason.isEmpty())
        throw ProfileWriteError(m_path, reason);
    if (!IsWritableFile(m_path))
        throw ProfileWriteError(m_path);
    const bool existed = QFileInfo::exists(m_path);
    const auto old = ReadBytes(m_path);
    if (existed && !old)
        throw ProfileWriteError(m_path);
    ProfileText text = old ? Decode(*old) : ProfileText{};

    auto [begin, end] = FindSection(text.lines, section);
    if (begin < 0) {
        if (!text.lines.isEmpty() && !Trimmed(text.lines.back()).isEmpty())
            text.lines.append(QString());
        text.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        text.lines.append(key + QLatin1Char('=') + value);
    } else if (const qsizetype line = FindKey(text.lines, begin, end, key); line >= 0) {
        // The key keeps the letter case it has in the file.
        text.lines[line] = KeyValue(text.lines[line])->first + QLatin1Char('=') + value;
    } else {
        // After the section's last non-blank line, so blank separators stay where they are.
        qsizetype at = end;
        while (at > begin && Trimmed(text.lines[at - 1]).isEmpty())
            --at;
        text.lines.insert(at, key + QLatin1Char('=') + value);
    }

    const QByteArray bytes = Encode(text);
    const auto perms = existed ? QFile::permissions(m_path) : QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (ReplaceThroughTemporary(m_path, bytes, perms))
        return;
    if (!existed)
        throw ProfileWriteError(m_path);
    RewriteInPlace(m_path, bytes, *old);
}

#endif
