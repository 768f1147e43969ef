#include "access/Databases.h"

#include "access/Domino_TLB.h"
#include "access/VariantText.h"
#include "interfaces/DominoObjects.h"
#include "interfaces/Text.h"

bool IsShownViewName(const QString& name) {
    return IsShownViewName(name.toStdU16String());
}

bool IsDatabaseNodeText(const QString& text) {
    if (text.size() < 4)
        return false;
    QString tail = text.right(4);
    for (QChar& c : tail)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A'); // ASCII letters only
    return tail == QLatin1String(".NSF");
}

std::unique_ptr<TNotesDatabase> OpenDatabase(TNotesSession& session, const QString& server, const QString& path) {
    auto db = std::make_unique<TNotesDatabase>();
    db->ConnectTo(session.GetDatabase(ToU16(server), ToU16(path), false));
    return db;
}

QStringList ShownViewNames(TNotesDatabase& db) {
    QStringList shown;
    for (const QString& name : VariantArrayToTexts(db.Views()))
        if (IsShownViewName(name))
            shown << name;
    return shown;
}

QStringList OpenLocalFileViews(TNotesSession& session, const QString& path) {
    session.Disconnect();
    session.Initialize(u"");
    const auto db = OpenDatabase(session, QString(), path);
    QStringList views = ShownViewNames(*db);
    for (QString& name : views)
        name = QString::fromStdU16String(TrimBlanks(name.toStdU16String()));
    return views;
}
