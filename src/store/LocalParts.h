// The local store's own parts, shared by its objects (not part of the store's interface): the
// error translation, the open database file with its prepared statements, read transactions
// and the read-ahead window of a view.
#pragma once

#include "interfaces/DominoObjects.h"
#include "platform/FileLock.h"
#include "store/Formula.h"
#include "store/LocalStore.h"
#include "store/NoteReading.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <unordered_map>

namespace store::local {

[[noreturn]] inline void Raise(const std::u16string& text, int32_t code = notes_code::kNotesError) {
    throw EOleException(text, code);
}

// Runs f, turning the store's internal failures into the errors the server raises.
template <class F> auto Guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const EOleException&) {
        throw;
    } catch (const sql::Error& e) {
        if (e.isNotADatabase())
            Raise(notes_text::NotADatabase(), notes_code::kDatabaseOpenFailed);
        Raise(notes_text::ReadFailed(Utf8ToUtf16(e.what())));
    } catch (const CorruptData&) {
        Raise(notes_text::NotADatabase(), notes_code::kDatabaseOpenFailed);
    } catch (const FormulaError& e) {
        Raise(notes_text::FormulaFailed(Utf8ToUtf16(e.what())));
    } catch (const std::bad_alloc&) {
        Raise(notes_text::InsufficientMemory(), hresult::kFail);
    }
}

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

// A run of a view's entries read together, and the view's size read with them. Walking a view
// is served from here, so that a page of documents costs a few reads of the file, not one or
// two per document. What it holds is at most kFreshFor old: a view that changes is followed.
struct ViewWindow {
    static constexpr int64_t kRows = 128;
    static constexpr auto kFreshFor = std::chrono::milliseconds(100);

    struct Row {
        int64_t position;
        NoteData header;
        std::string columns;
    };
    std::vector<Row> rows;
    int64_t viewId = 0;
    std::shared_ptr<ViewReadAhead> ahead; // the runs after these, read on another thread
    bool walkedOn = false;                // these rows came after the run before, in a walk
    std::chrono::steady_clock::time_point rowsRead;
    int64_t count = 0;
    std::chrono::steady_clock::time_point countRead;
    bool hasRows = false, hasCount = false;

    static bool Fresh(std::chrono::steady_clock::time_point t) {
        return std::chrono::steady_clock::now() - t < kFreshFor;
    }
    const Row* find(int64_t position) const {
        if (!hasRows || !Fresh(rowsRead) || rows.empty() || position < rows.front().position ||
            position > rows.back().position)
            return nullptr;
        return &rows[static_cast<size_t>(position - rows.front().position)];
    }
    // The entry is past the end: the window reaches the end of the view and is fresh.
    bool pastEnd(int64_t position) const {
        return hasRows && hasCount && Fresh(rowsRead) && rowsRead == countRead && position > count;
    }

    // The items and files of the window's notes, read together (in one read transaction) when the
    // first of them is asked for: a walk that reads every document then costs a few locks of the
    // file per window, not several per document. Each body is handed out once.
    std::unordered_map<int64_t, NoteData> bodies;
    bool bodiesRead = false;
    std::optional<CopiedBodies> copiedBodies; // the bodies' rows, when the window was read ahead

    std::optional<NoteData> takeBody(DbFile& file, int64_t noteId, int64_t position) {
        if (!bodiesRead && find(position)) {
            bodiesRead = true;
            if (copiedBodies) {
                bodies.reserve(rows.size());
                LoadCopiedBodies(file.noteBody, *copiedBodies, bodies);
                copiedBodies.reset();
            } else {
                ReadTransaction transaction(file);
                const auto first = static_cast<size_t>(position - rows.front().position);
                std::vector<int64_t> ids;
                ids.reserve(rows.size() - first);
                for (size_t i = first; i < rows.size(); ++i)
                    ids.push_back(rows[i].header.noteId);
                bodies.reserve(ids.size()); // buckets made once, not grown step by step
                LoadNoteBodies(file.noteBody, std::move(ids), bodies);
                transaction.commit();
            }
            // A walk on through the view that reads its documents' items: the next runs are read
            // ahead for it (a walk over the entries alone, or one document, reads none of them).
            if (ahead && walkedOn && rows.size() == static_cast<size_t>(kRows))
                KeepReadingAhead(file, viewId, ahead, rows.back().position + 1, count);
        }
        const auto found = bodies.find(noteId);
        if (found == bodies.end())
            return std::nullopt;
        NoteData body = std::move(found->second);
        bodies.erase(found);
        return body;
    }
};

} // namespace store::local
