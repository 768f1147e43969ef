#include "platform/ProfileFile.h"

#include "platform/WholeFile.h"

#include <QCoreApplication>
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
        return QCoreApplication::translate("ProfileFile", "节名或键名中有换行符");
    if (hasBreak(value))
        return QCoreApplication::translate("ProfileFile", "%1 的值中有换行符").arg(key);
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
        return QCoreApplication::translate("ProfileFile", "Unable to write to %1").arg(path);
    return QCoreApplication::translate("ProfileFile", "Unable to write to %1: %2").arg(path, reason);
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

// One line as the file holds it: its bytes and the bytes that end it (empty for a last line
// without a line break). A write changes only the lines it writes, so every other line keeps its
// bytes exactly, also bytes that do not decode.
struct RawLine {
    QByteArray bytes;
    QByteArray end;
};

struct ProfileText {
    Encoding encoding = Encoding::Gb18030;
    QByteArray mark; // the byte-order mark
    std::vector<RawLine> raw;
    QStringList lines; // each raw line decoded

    QString decode(const QByteArray& bytes) const {
        switch (encoding) {
        case Encoding::Utf8:
            return QString::fromUtf8(bytes);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            return QStringDecoder(encoding == Encoding::Utf16Le ? QStringConverter::Utf16LE
                                                                : QStringConverter::Utf16BE)(bytes);
        case Encoding::Gb18030:
            break;
        }
        return Gb18030(bytes);
    }
    QByteArray encode(const QString& text) const {
        switch (encoding) {
        case Encoding::Utf8:
            return text.toUtf8();
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            return QStringEncoder(encoding == Encoding::Utf16Le ? QStringConverter::Utf16LE
                                                                : QStringConverter::Utf16BE)(text);
        case Encoding::Gb18030:
            break;
        }
        return Ansi(text);
    }
    // Lines the file gains end in CR LF, as the system writes them.
    void insert(qsizetype at, const QString& line) {
        if (at > 0 && raw[static_cast<size_t>(at - 1)].end.isEmpty()) {
            RawLine& last = raw[static_cast<size_t>(at - 1)];
            // A UTF-16 file cut in the middle of a unit: the half unit, which reads as nothing, goes,
            // so that what follows stays aligned and readable.
            if ((encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) && last.bytes.size() % 2 != 0)
                last.bytes.chop(1);
            last.end = encode(QStringLiteral("\r\n"));
        }
        raw.insert(raw.begin() + at, RawLine{encode(line), encode(QStringLiteral("\r\n"))});
        lines.insert(at, line);
    }
    void replace(qsizetype at, const QString& line) {
        raw[static_cast<size_t>(at)].bytes = encode(line);
        lines[at] = line;
    }
    QByteArray bytes() const {
        QByteArray out = mark;
        for (const RawLine& line : raw)
            out += line.bytes + line.end;
        return out;
    }

private:
    static QString Gb18030(const QByteArray& bytes) {
        QStringDecoder gb("GB18030");
        return gb.isValid() ? QString(gb(bytes)) : QString::fromLocal8Bit(bytes);
    }
};

ProfileText Decode(const QByteArray& bytes) {
    ProfileText text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text.encoding = Encoding::Utf8;
    else if (bytes.startsWith("\xFF\xFE"))
        text.encoding = Encoding::Utf16Le;
    else if (bytes.startsWith("\xFE\xFF"))
        text.encoding = Encoding::Utf16Be;
    text.mark = bytes.left(text.encoding == Encoding::Utf8 ? 3 : text.encoding == Encoding::Gb18030 ? 0 : 2);
    // Lines end at a line feed unit (one byte, or two in UTF-16); a carriage return before it
    // belongs to the end.
    const qsizetype unit = text.encoding == Encoding::Utf16Le || text.encoding == Encoding::Utf16Be ? 2 : 1;
    const auto unitIs = [&](qsizetype at, char c) {
        if (unit == 1)
            return bytes[at] == c;
        return text.encoding == Encoding::Utf16Le ? bytes[at] == c && bytes[at + 1] == 0
                                                  : bytes[at] == 0 && bytes[at + 1] == c;
    };
    qsizetype start = text.mark.size();
    for (qsizetype at = start; at + unit <= bytes.size(); at += unit) {
        if (!unitIs(at, '\n'))
            continue;
        const qsizetype endStart = at - start >= unit && unitIs(at - unit, '\r') ? at - unit : at;
        text.raw.push_back({bytes.mid(start, endStart - start), bytes.mid(endStart, at + unit - endStart)});
        start = at + unit;
    }
    if (start < bytes.size())
        text.raw.push_back({bytes.mid(start), {}});
    for (const RawLine& line : text.raw)
        text.lines << text.decode(line.bytes);
    return text;
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
    const auto close = t.lastIndexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return Trimmed(t.mid(1, close - 1));
}

// Splits a "key=value" line; a line without "=" is a key with an empty value. Nothing for blank
// lines. A line that starts with ";" is a key like any other, as the system reads it: no real key
// is named so.
std::optional<std::pair<QString, QString>> KeyValue(const QString& line) {
    const QString t = Trimmed(line);
    if (t.isEmpty())
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
// The lines before the first section are the section of the empty name.
std::pair<qsizetype, qsizetype> FindSection(const QStringList& lines, const QString& section) {
    if (Trimmed(section).isEmpty()) {
        qsizetype end = 0;
        while (end < lines.size() && !SectionName(lines[end]))
            ++end;
        if (end > 0)
            return {0, end};
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !SameName(*name, Trimmed(section)))
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
        if (kv && SameName(kv->first, Trimmed(key)))
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
        text.insert(text.lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        text.insert(text.lines.size(), key + QLatin1Char('=') + value);
    } else if (const qsizetype line = FindKey(text.lines, begin, end, key); line >= 0) {
        // The key keeps the letter case it has in the file.
        text.replace(line, KeyValue(text.lines[line])->first + QLatin1Char('=') + value);
    } else {
        // After the section's last non-blank line, so blank separators stay where they are.
        qsizetype at = end;
        while (at > begin && Trimmed(text.lines[at - 1]).isEmpty())
            --at;
        text.insert(at, key + QLatin1Char('=') + value);
    }
    try {
        WriteWholeFile(m_path, text.bytes());
    } catch (const WholeFileError& error) {
        throw ProfileWriteError(m_path, QString::fromLocal8Bit(error.what()));
    }
}

#endif
