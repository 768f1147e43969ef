#include "export/SafePath.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

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

QStringList AssignFileNames(const QStringList& names, const std::function<bool(const QString&)>& reserved) {
    QStringList files(names.size());
    QSet<QString> taken; // case-folded
    const auto isFree = [&](const QString& file) {
        return !taken.contains(file.toCaseFolded()) && !(reserved && reserved(file));
    };
    // Names that need no change first, so that a cleaned name never takes one of them.
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (SafeFileName(names[i]) == names[i] && isFree(names[i])) {
            files[i] = names[i];
            taken.insert(names[i].toCaseFolded());
        }
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!files[i].isNull())
            continue;
        const QString safe = SafeFileName(names[i]);
        const QFileInfo parts(safe);
        const QString suffix = parts.suffix().isEmpty() || parts.completeBaseName().isEmpty()
                                   ? QString()
                                   : QLatin1Char('.') + parts.suffix();
        const QString stem = safe.left(safe.size() - suffix.size());
        QString file = safe;
        for (int n = 2; !isFree(file); ++n)
            file = stem + QStringLiteral(" (%1)").arg(n) + suffix;
        files[i] = file;
        taken.insert(file.toCaseFolded());
    }
    return files;
}
