#include "export/SafePath.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool IsRefused(QChar c) {
    return c.unicode() < 32 || QStringLiteral("<>:\"/\\|?*").contains(c);
}

bool IsDeviceName(const QString& name) {
    static const QRegularExpression devices(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return devices.match(name).hasMatch();
}

} // namespace

QString SafeFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String("."))
        return QStringLiteral("_");
    if (name == QLatin1String(".."))
        return QStringLiteral("_..");
    QString safe = name;
    for (QChar& c : safe)
        if (IsRefused(c))
            c = QLatin1Char('_');
    // Windows drops trailing dots and blanks, which would make "a." and "a" the same file.
    for (qsizetype i = safe.size() - 1; i >= 0 && (safe[i] == QLatin1Char('.') || safe[i] == QLatin1Char(' ')); --i)
        safe[i] = QLatin1Char('_');
    if (IsDeviceName(safe))
        safe.prepend(QLatin1Char('_'));
    return safe;
}

QString SafeRelativePath(const QString& name) {
    QStringList levels;
    for (const QString& level : name.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts))
        levels << SafeFileName(level);
    return levels.join(QLatin1Char('/'));
}

QString FolderNames::fileFor(const QString& name) {
    if (const auto known = m_files.constFind(name); known != m_files.cend())
        return *known;
    const QString safe = SafeFileName(name);
    QString file = safe;
    const QFileInfo parts(safe);
    const QString suffix =
        parts.suffix().isEmpty() || parts.completeBaseName().isEmpty() ? QString() : QLatin1Char('.') + parts.suffix();
    const QString stem = safe.left(safe.size() - suffix.size());
    for (int n = 2; m_taken.contains(file.toCaseFolded()) || (m_reserved && m_reserved(file)); ++n)
        file = stem + QStringLiteral(" (%1)").arg(n) + suffix;
    m_taken.insert(file.toCaseFolded());
    m_files.insert(name, file);
    return file;
}
