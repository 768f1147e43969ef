// The items of one document as the detail window lists them: each item's name and its values
// as text.
#pragma once

#include <QList>
#include <QString>

class TNotesSession;

struct ItemText {
    QString name;
    QString value; // the item's values as text, joined as the view shows them
};

// The items of the document with universal ID id in the database at path on server (an empty
// server: the local file), in the document's order. Raises the server's error when the database
// or the document cannot be opened or a value cannot be converted.
QList<ItemText> DocumentItems(TNotesSession& session, const QString& server, const QString& path, const QString& id);
