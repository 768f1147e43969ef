// An open store database file, shared by the objects that come from it: its connection, its views'
// design, its prepared statements and the second connection that reads ahead; and the read
// transaction its statements share.
#pragma once

#include "platform/FileLock.h"
#include "store/LocalStore.h"
#include "store/NoteReading.h"
#include "store/Sqlite.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace store::local {

// View entries and note headers from a position on; the number of entries of a view.
inline constexpr char kEntriesFrom[] = "SELECT e.position, e.note_id, e.columns, n.unid, n.form, n.created, n.modified "
                                       "FROM view_entries e JOIN notes n ON n.note_id = e.note_id "
                                       "WHERE e.view_id = ? AND e.position >= ? ORDER BY e.position LIMIT ?";
inline constexpr char kLastEntry[] = "SELECT max(position) FROM view_entries WHERE view_id = ?";

class ReadAheadConnection;
struct ReadAheadClose {
    void operator()(ReadAheadConnection* connection) const;
};
// A second connection to the file for reading ahead (ReadAhead.h); none when it cannot be opened.
std::unique_ptr<ReadAheadConnection, ReadAheadClose> OpenReadAhead(const std::filesystem::path& path);

struct DbFile;
struct ViewReadAhead;
// Keeps a few runs of the view's entries from position `end` on read ahead, with their notes' rows
// (ReadAhead.h); none past the view's count of entries.
void KeepReadingAhead(DbFile& file, int64_t viewId, const std::shared_ptr<ViewReadAhead>& ahead, int64_t end,
                      int64_t count);

// An open database file shared by the objects that come from it.
struct DbFile {
    SharedFileLock inUse; // other programs see the file in use while it is open here
    sql::Connection db;
    std::vector<ViewDef> views;
    std::string replicaId;
    sql::Statement entriesFrom; // view entries and note headers from a position on
    sql::Statement lastEntry;   // number of entries of a view
    sql::Statement positionOf;  // position of a note in a view
    sql::Statement noteByUnid;
    sql::Statement fileData;
    NoteBodyStatements noteBody{db};
    sql::Statement begin, commit;
    // Opened with the file, so that both connections read the same file even when another is put
    // in its place later.
    std::unique_ptr<ReadAheadConnection, ReadAheadClose> ahead;

    // design: the views, as the check of the file read them.
    DbFile(sql::Connection connection, std::vector<ViewDef> design, const std::filesystem::path& path)
        : inUse(path), db(std::move(connection)), views(std::move(design)) {
        auto meta = db.prepare("SELECT value FROM meta WHERE key = 'replicaid'");
        if (meta.step())
            replicaId = meta.text(0);
        entriesFrom = db.prepare(kEntriesFrom);
        lastEntry = db.prepare(kLastEntry);
        positionOf = db.prepare("SELECT position FROM view_entries WHERE note_id = ? AND view_id = ?");
        noteByUnid = db.prepare("SELECT note_id, unid, form, created, modified FROM notes WHERE unid = ?");
        fileData = db.prepare("SELECT data FROM files WHERE file_id = ?");
        begin = db.prepare("BEGIN");
        commit = db.prepare("COMMIT");
        ahead = OpenReadAhead(path);
    }
};

// A read transaction: statements inside it share one lock of the file.
class ReadTransaction {
public:
    explicit ReadTransaction(DbFile& file) : m_file(file) { m_file.begin.run(); }
    ~ReadTransaction() {
        if (!m_done) {
            try {
                m_file.db.exec("ROLLBACK");
            } catch (...) {
            }
        }
    }
    void commit() {
        m_file.commit.run();
        m_done = true;
    }

private:
    DbFile& m_file;
    bool m_done = false;
};

} // namespace store::local
