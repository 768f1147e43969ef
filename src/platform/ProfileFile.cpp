#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif
#include <optional>

namespace {

struct ProfileText {
    QStringList lines;
    bool legacyEncoding = false; // GB18030 rather than UTF-8
    QString newline = QStringLiteral("\n");
};

std::optional<ProfileText> Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    ProfileText text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder gb("GB18030");
        if (gb.isValid()) {
            decoded = gb(bytes);
            text.legacyEncoding = true;
        }
    }
    if (decoded.contains(QLatin1String("\r\n")))
        text.newline = QStringLiteral("\r\n");
    decoded.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.lines = decoded.split(QLatin1Char('\n'));
    if (!text.lines.isEmpty() && text.lines.back().isEmpty())
        text.lines.removeLast();
    return text;
}

// The section name of a "[name]" line, else nothing.
std::optional<QString> SectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const auto close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// Splits a "key=value" line; nothing for comments and lines without "=".
std::optional<std::pair<QString, QString>> KeyValue(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const auto eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return std::make_pair(t.left(eq).trimmed(), t.mid(eq + 1).trimmed());
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
#ifndef _WIN32
    // Someone else's file would otherwise be replaced by ours through the rename.
    if (::geteuid() != 0 && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return false;
#endif
    return true;
}

} // namespace

ProfileWriteError::ProfileWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString()),
      m_message(QStringLiteral("Unable to write to %1").arg(path)) {}

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto text = Load(m_path);
    if (!text)
        return defaultValue;
    const auto [begin, end] = FindSection(text->lines, section);
    for (qsizetype i = begin; begin >= 0 && i < end; ++i) {
        const auto kv = KeyValue(text->lines[i]);
        if (!kv || !SameName(kv->first, key))
            continue;
        QString value = kv->second;
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value.left(kMaxValueLength);
    }
    return defaultValue;
}

void ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (!IsWritableFile(m_path))
        throw ProfileWriteError(m_path);
    const bool existed = QFileInfo::exists(m_path);
    auto loaded = Load(m_path);
    if (existed && !loaded)
        throw ProfileWriteError(m_path);
    ProfileText text = loaded.value_or(ProfileText{});
#ifdef _WIN32
    if (!existed)
        text.newline = QStringLiteral("\r\n");
#endif
    const QString entry = key + QLatin1Char('=') + value;
    auto [begin, end] = FindSection(text.lines, section);
    if (begin < 0) {
        if (!text.lines.isEmpty() && !text.lines.back().trimmed().isEmpty())
            text.lines.append(QString());
        text.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        text.lines.append(entry);
    } else {
        bool replaced = false;
        for (qsizetype i = begin; i < end && !replaced; ++i) {
            const auto kv = KeyValue(text.lines[i]);
            if (kv && SameName(kv->first, key)) {
                text.lines[i] = entry;
                replaced = true;
            }
        }
        if (!replaced) {
            // After the section's last non-blank line, so blank separators stay where they are.
            qsizetype at = end;
            while (at > begin && text.lines[at - 1].trimmed().isEmpty())
                --at;
            text.lines.insert(at, entry);
        }
    }

    QString joined = text.lines.join(text.newline) + text.newline;
    QByteArray bytes;
    if (text.legacyEncoding) {
        QStringEncoder gb("GB18030");
        bytes = gb(joined);
    } else {
        bytes = joined.toUtf8();
    }

    // Write beside the target and rename over it: a failure leaves the old file whole.
    const QString temp = m_path + QStringLiteral(".tmp");
    QFile::remove(temp);
    QFile out(temp);
    QFileDevice::Permissions perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (existed)
        perms = QFile::permissions(m_path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly, perms))
        throw ProfileWriteError(m_path);
    const bool written = out.write(bytes) == bytes.size() && out.flush();
    out.close();
    std::error_code ec;
    if (written)
        std::filesystem::rename(temp.toStdU16String(), m_path.toStdU16String(), ec);
    if (!written || ec) {
        QFile::remove(temp);
        throw ProfileWriteError(m_path);
    }
}
