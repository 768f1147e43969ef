// Opening databases and reading the views the tree shows.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TNotesDatabase;
class TNotesSession;

// Whether the tree shows a view of this name: not blank once trimmed, and no "$" anywhere.
bool IsShownViewName(const QString& name);

// Whether a node's text names a database: its last four characters, upper-cased, are ".NSF".
bool IsDatabaseNodeText(const QString& text);

// A new wrapper bound to the database at path on server (an empty server: this computer).
// Raises the server's error when it cannot be opened.
std::unique_ptr<TNotesDatabase> OpenDatabase(TNotesSession& session, const QString& server, const QString& path);

// The names of db's views that the tree shows, in the database's order, as the server gives them.
QStringList ShownViewNames(TNotesDatabase& db);

// Re-initialises session for local use (ending a server session) and reads the views the tree
// shows of the database file at path, trimmed.
QStringList OpenLocalFileViews(TNotesSession& session, const QString& path);
