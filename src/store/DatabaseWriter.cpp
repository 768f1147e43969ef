#include "store/DatabaseWriter.h"
#include "store/NoteReading.h"
#include "store/StoreFile.h"
#include "store/ViewIndexer.h"

#include "store/Messages.h"

#include "interfaces/FileSystem.h"
#include "interfaces/Text.h"
#include "store/OleTime.h"
#include "store/Unid.h"
#include "store/ValueCodec.h"

#include <algorithm>
#include <deque>
#include <set>

namespace store {

namespace {

constexpr char kSchema[] = R"SQL(
CREATE TABLE meta(
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
) WITHOUT ROWID;
CREATE TABLE notes(
    note_id INTEGER PRIMARY KEY,
    unid TEXT NOT NULL UNIQUE,
    form TEXT NOT NULL DEFAULT '',
    created REAL NOT NULL,
    modified REAL NOT NULL
);
CREATE TABLE items(
    note_id INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    name TEXT NOT NULL,
    type INTEGER NOT NULL,
    flags INTEGER NOT NULL DEFAULT 0,
    value BLOB NOT NULL,
    PRIMARY KEY(note_id, seq)
) WITHOUT ROWID;
CREATE TABLE files(
    file_id INTEGER PRIMARY KEY,
    note_id INTEGER NOT NULL,
    name TEXT NOT NULL,
    kind INTEGER NOT NULL,
    class TEXT NOT NULL DEFAULT '',
    created REAL NOT NULL,
    modified REAL NOT NULL,
    size INTEGER NOT NULL,
    data BLOB NOT NULL
);
CREATE INDEX files_by_note ON files(note_id, file_id);
CREATE TABLE views(
    view_id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    alias TEXT NOT NULL DEFAULT '',
    selection TEXT NOT NULL
);
CREATE TABLE view_columns(
    view_id INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    title TEXT NOT NULL,
    item TEXT NOT NULL DEFAULT '',
    formula TEXT NOT NULL DEFAULT '',
    sort INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY(view_id, seq)
) WITHOUT ROWID;
CREATE TABLE view_entries(
    view_id INTEGER NOT NULL,
    position INTEGER NOT NULL,
    note_id INTEGER NOT NULL,
    sort_key BLOB NOT NULL,
    columns BLOB NOT NULL,
    PRIMARY KEY(view_id, position)
) WITHOUT ROWID;
CREATE UNIQUE INDEX view_entries_by_key ON view_entries(view_id, sort_key);
CREATE INDEX view_entries_by_note ON view_entries(note_id, view_id);
)SQL";

} // namespace

struct DatabaseWriter::ViewState {
    explicit ViewState(ViewDef def) : indexer(std::move(def)) {}
    ViewIndexer indexer;
    std::vector<ViewEntry> pending;
    size_t pendingBytes = 0;

    void add(ViewEntry entry) {
        pendingBytes += entry.sortKey.size() + entry.columns.size() + sizeof entry;
        pending.push_back(std::move(entry));
    }
};

DatabaseWriter::DatabaseWriter(sql::Connection db) : m_db(std::move(db)), m_now(OleNow()) {
    // 16 MB of pages: the notes go in at the end of their tables and the index is merged in key
    // order, so a larger cache writes no faster, and memory stays the same for any size of input.
    m_db.exec("PRAGMA cache_size = -16384");
    m_transaction = std::make_unique<sql::Transaction>(m_db);
    m_insertNote = m_db.prepare("INSERT INTO notes(unid, form, created, modified) VALUES(?, ?, ?, ?)");
    m_insertItem = m_db.prepare("INSERT INTO items(note_id, seq, name, type, flags, value) VALUES(?, ?, ?, ?, ?, ?)");
    m_insertFile = m_db.prepare(
        "INSERT INTO files(note_id, name, kind, class, created, modified, size, data) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    m_findNote = m_db.prepare("SELECT note_id FROM notes WHERE unid = ?");
}

namespace {

// The files SQLite keeps beside a database while it writes.
void RemoveSideFiles(const std::filesystem::path& file) {
    std::error_code ec;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        std::filesystem::remove(std::filesystem::path(file) += suffix, ec);
}

void RemoveDatabaseFiles(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    RemoveSideFiles(file);
}

} // namespace

DatabaseWriter::~DatabaseWriter() {
    // Statements go before the transaction rolls back and the connection closes.
    m_insertNote = {};
    m_insertItem = {};
    m_insertFile = {};
    m_findNote = {};
    m_transaction.reset();
    m_db = {};
    if (!m_committed && !m_building.empty())
        RemoveDatabaseFiles(m_building);
}

std::unique_ptr<DatabaseWriter> DatabaseWriter::Create(const std::filesystem::path& file, const std::u16string& title) {
    auto building = file;
    building += ".building";
    RemoveDatabaseFiles(building);
    sql::Connection db(building, sql::Connection::Mode::Create);
    // Items and view entries live in WITHOUT ROWID tables, whose rows stay on their page only up
    // to a quarter of it; on 4 KB pages a rich text or a row of columns of 1 to 2 KB went mostly to
    // overflow pages three quarters empty, and the file came out four times its data. 8 KB pages
    // keep those rows whole and read a page of the document list as fast; 16 KB pages import a
    // little faster but make every lookup of a page slower. Set before the first table; files made
    // with other page sizes open as they are.
    db.exec("PRAGMA page_size = 8192");
    db.exec("PRAGMA journal_mode = DELETE");
    db.exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    db.exec(("PRAGMA user_version = " + std::to_string(kFormatVersion)).c_str());
    {
        sql::Transaction transaction(db);
        db.exec(kSchema);
        auto meta = db.prepare("INSERT INTO meta(key, value) VALUES(?, ?)");
        meta.bind(1, std::string_view("format")).bind(2, std::string_view(kFormatName)).run();
        meta.bind(1, std::string_view("version")).bind(2, std::to_string(kFormatVersion)).run();
        meta.bind(1, std::string_view("title")).bind(2, Utf16ToUtf8(title)).run();
        meta.bind(1, std::string_view("replicaid")).bind(2, Utf16ToUtf8(NewUnid().substr(0, 16))).run();
        meta = {};
        transaction.commit();
    }
    auto writer = std::unique_ptr<DatabaseWriter>(new DatabaseWriter(std::move(db)));
    writer->m_target = file;
    writer->m_building = building;
    return writer;
}

void DatabaseWriter::setTitle(const std::u16string& title) {
    m_db.prepare("UPDATE meta SET value = ? WHERE key = 'title'").bind(1, Utf16ToUtf8(title)).run();
}

std::unique_ptr<DatabaseWriter> DatabaseWriter::Open(const std::filesystem::path& file) {
    OpenDatabaseFile(file); // checks that it is a store database
    sql::Connection db(file, sql::Connection::Mode::ReadWrite);
    auto writer = std::unique_ptr<DatabaseWriter>(new DatabaseWriter(std::move(db)));
    for (auto& view : LoadViews(writer->m_db))
        writer->m_views.push_back(std::make_unique<ViewState>(std::move(view)));
    return writer;
}

int64_t DatabaseWriter::addView(const ViewDef& def) {
    if (m_committed)
        throw std::logic_error("the database has been committed");
    auto state = std::make_unique<ViewState>(def); // parses the formulas first
    auto insert = m_db.prepare("INSERT INTO views(name, alias, selection) VALUES(?, ?, ?)");
    insert.bind(1, Utf16ToUtf8(def.name)).bind(2, Utf16ToUtf8(def.alias)).bind(3, Utf16ToUtf8(def.selection)).run();
    const int64_t viewId = m_db.lastInsertRowId();
    auto column =
        m_db.prepare("INSERT INTO view_columns(view_id, seq, title, item, formula, sort) VALUES(?, ?, ?, ?, ?, ?)");
    int64_t seq = 0;
    for (const auto& c : def.columns)
        column.bind(1, viewId)
            .bind(2, ++seq)
            .bind(3, Utf16ToUtf8(c.title))
            .bind(4, Utf16ToUtf8(c.item))
            .bind(5, Utf16ToUtf8(c.formula))
            .bind(6, static_cast<int64_t>(c.sort))
            .run();
    ViewDef stored = def;
    stored.viewId = viewId;
    state = std::make_unique<ViewState>(std::move(stored));
    // Notes already in the database go into the new view's index, a chunk at a time, so that a
    // view added after many notes takes no more memory than one added before them.
    auto notes = m_db.prepare("SELECT note_id, unid, form, created, modified FROM notes ORDER BY note_id");
    NoteBodyStatements bodies(m_db); // prepared once for all of them
    while (notes.step()) {
        NoteData note;
        note.noteId = notes.int64(0);
        ReadNoteHeader(notes, 1, note);
        LoadNoteBody(bodies, note);
        if (auto entry = state->indexer.entryFor(note)) {
            state->add(std::move(*entry));
            if (state->pending.size() >= kMaxPendingEntries || state->pendingBytes >= kMaxPendingBytes)
                mergeIndex(*state);
        }
    }
    m_views.push_back(std::move(state));
    return viewId;
}

std::u16string DatabaseWriter::addNote(NoteData note) {
    if (m_committed)
        throw std::logic_error("the database has been committed");
    if (note.unid.empty())
        note.unid = NewUnid();
    if (!IsValidUnid(note.unid))
        throw std::runtime_error(Utf16ToUtf8(notes_text::InvalidUnid() + u" " + note.unid));
    note.unid = AsciiUpper(note.unid);
    const double now = m_now;
    if (note.created == 0)
        note.created = now;
    if (note.modified == 0)
        note.modified = note.created;
    if (!note.form.empty() && !note.findItem(u"Form")) {
        ItemData form;
        form.name = u"Form";
        form.type = item_type::kText;
        form.flags = item_flag::kSummary;
        form.values = {Scalar(note.form)};
        note.items.insert(note.items.begin(), std::move(form));
    }
    // Every file object has its $FILE item naming it.
    for (const auto& file : note.files) {
        const bool named = std::any_of(note.items.begin(), note.items.end(), [&](const ItemData& item) {
            return item.type == item_type::kAttachment && !item.values.empty() &&
                   item.values.front() == Scalar(file.name);
        });
        if (!named) {
            ItemData item;
            item.name = u"$FILE";
            item.type = item_type::kAttachment;
            item.flags = item_flag::kSummary;
            item.values = {Scalar(file.name)};
            note.items.push_back(std::move(item));
        }
    }
    m_insertNote.bind(1, Utf16ToUtf8(note.unid))
        .bind(2, Utf16ToUtf8(note.form))
        .bind(3, note.created)
        .bind(4, note.modified)
        .run();
    note.noteId = m_db.lastInsertRowId();
    int64_t seq = 0;
    for (const auto& item : note.items) {
        m_insertItem.bind(1, note.noteId).bind(2, ++seq).bind(3, Utf16ToUtf8(item.name)).bind(4, int64_t{item.type});
        m_insertItem.bind(5, int64_t{item.flags});
        const std::string encoded = item.type == item_type::kRichText ? std::string() : EncodeValues(item.values);
        m_insertItem.bindBlobInPlace(6, item.type == item_type::kRichText ? std::string_view(item.richText)
                                                                          : std::string_view(encoded));
        m_insertItem.run();
    }
    for (auto& file : note.files) {
        if (file.created == 0)
            file.created = note.created;
        if (file.modified == 0)
            file.modified = file.created;
        file.size = static_cast<int64_t>(file.bytes.size());
        m_insertFile.bind(1, note.noteId)
            .bind(2, Utf16ToUtf8(file.name))
            .bind(3, int64_t{file.kind})
            .bind(4, Utf16ToUtf8(file.objectClass))
            .bind(5, file.created)
            .bind(6, file.modified)
            .bind(7, file.size)
            .bindBlob(8, file.bytes)
            .run();
        file.fileId = m_db.lastInsertRowId();
    }
    size_t pending = 0, pendingBytes = 0;
    for (auto& view : m_views) {
        if (auto entry = view->indexer.entryFor(note))
            view->add(std::move(*entry));
        pending += view->pending.size();
        pendingBytes += view->pendingBytes;
    }
    // Entries go into the stored index now and then, so that memory stays bounded however many
    // notes are added.
    if (pending >= kMaxPendingEntries || pendingBytes >= kMaxPendingBytes)
        for (auto& view : m_views)
            mergeIndex(*view);
    return note.unid;
}

std::optional<int64_t> DatabaseWriter::noteIdOf(const std::u16string& unid) {
    if (m_committed)
        throw std::logic_error("the database has been committed");
    m_findNote.reset(); // also after a step that threw
    m_findNote.bind(1, Utf16ToUtf8(AsciiUpper(unid)));
    std::optional<int64_t> found;
    if (m_findNote.step())
        found = m_findNote.int64(0);
    m_findNote.reset();
    return found;
}

bool DatabaseWriter::hasNote(const std::u16string& unid) {
    return noteIdOf(unid).has_value();
}

bool DatabaseWriter::removeNote(const std::u16string& unid) {
    if (m_committed)
        throw std::logic_error("the database has been committed");
    const auto found = noteIdOf(unid);
    if (!found)
        return false;
    const int64_t noteId = *found;
    for (auto& view : m_views) {
        const int64_t viewId = view->indexer.def().viewId;
        std::erase_if(view->pending, [noteId](const ViewEntry& entry) { return entry.noteId == noteId; });
        auto position = m_db.prepare("SELECT position FROM view_entries WHERE note_id = ? AND view_id = ?");
        position.bind(1, noteId).bind(2, viewId);
        if (!position.step())
            continue;
        const int64_t removed = position.int64(0);
        position = {};
        m_db.prepare("DELETE FROM view_entries WHERE view_id = ? AND position = ?")
            .bind(1, viewId)
            .bind(2, removed)
            .run();
        // The entries after it move up one; through negative positions, so that no two collide.
        m_db.prepare("UPDATE view_entries SET position = -position WHERE view_id = ? AND position > ?")
            .bind(1, viewId)
            .bind(2, removed)
            .run();
        m_db.prepare("UPDATE view_entries SET position = -position - 1 WHERE view_id = ? AND position < 0")
            .bind(1, viewId)
            .run();
    }
    for (const char* table : {"items", "files", "notes"})
        m_db.prepare(("DELETE FROM " + std::string(table) + " WHERE note_id = ?").c_str()).bind(1, noteId).run();
    return true;
}

// Merges the pending entries into the stored index. Entries before the first new key keep their
// positions; the tail from there on is rewritten in merged order. The tail is read a chunk at a
// time and its rows deleted as they are read, a little ahead of the merged rows written in their
// place: memory holds the pending entries and at most as many tail entries again, however long
// the view.
void DatabaseWriter::mergeIndex(ViewState& view) {
    if (view.pending.empty())
        return;
    auto& pending = view.pending;
    const auto byKey = [](const ViewEntry& a, const ViewEntry& b) { return a.sortKey < b.sortKey; };
    std::sort(pending.begin(), pending.end(), byKey);
    const int64_t viewId = view.indexer.def().viewId;

    int64_t lastPosition = 0;
    int64_t firstPosition = 1;
    {
        auto last = m_db.prepare("SELECT max(position) FROM view_entries WHERE view_id = ?");
        last.bind(1, viewId);
        if (last.step() && !last.isNull(0))
            lastPosition = last.int64(0);
        firstPosition = lastPosition + 1;
        auto after = m_db.prepare(
            "SELECT position FROM view_entries WHERE view_id = ? AND sort_key > ? ORDER BY sort_key LIMIT 1");
        after.bind(1, viewId).bindBlob(2, pending.front().sortKey);
        if (after.step())
            firstPosition = after.int64(0);
    }
    constexpr int64_t kChunk = 10000;
    auto read = m_db.prepare("SELECT note_id, sort_key, columns FROM view_entries WHERE view_id = ? AND position "
                             "BETWEEN ? AND ? ORDER BY position");
    auto erase = m_db.prepare("DELETE FROM view_entries WHERE view_id = ? AND position BETWEEN ? AND ?");
    auto insert =
        m_db.prepare("INSERT INTO view_entries(view_id, position, note_id, sort_key, columns) VALUES(?, ?, ?, ?, ?)");
    std::deque<ViewEntry> tail;        // read and deleted, not yet written again
    int64_t nextRead = firstPosition;  // the first tail position still stored
    int64_t nextWrite = firstPosition; // where the next merged entry goes
    const auto readChunk = [&] {
        const int64_t end = std::min(lastPosition, nextRead + kChunk - 1);
        read.bind(1, viewId).bind(2, nextRead).bind(3, end);
        while (read.step())
            tail.push_back(ViewEntry{read.text(1), read.int64(0), read.text(2)});
        read.reset();
        erase.bind(1, viewId).bind(2, nextRead).bind(3, end).run();
        nextRead = end + 1;
    };
    size_t next = 0; // the next pending entry
    while (next < pending.size() || !tail.empty() || nextRead <= lastPosition) {
        // The place written must be free, and the tail's next entry known.
        while (nextRead <= lastPosition && (nextWrite >= nextRead || tail.empty()))
            readChunk();
        const bool fromTail = !tail.empty() && (next == pending.size() || !byKey(pending[next], tail.front()));
        const ViewEntry& entry = fromTail ? tail.front() : pending[next];
        insert.bind(1, viewId)
            .bind(2, nextWrite++)
            .bind(3, entry.noteId)
            .bindBlob(4, entry.sortKey)
            .bindBlob(5, entry.columns)
            .run();
        if (fromTail)
            tail.pop_front();
        else
            ++next;
    }
    pending.clear();
    view.pendingBytes = 0;
}

void DatabaseWriter::commit() {
    if (m_committed)
        return;
    for (auto& view : m_views)
        mergeIndex(*view);
    m_insertNote = {};
    m_insertItem = {};
    m_insertFile = {};
    m_findNote = {};
    m_transaction->commit();
    if (!m_building.empty()) {
        // Closed first, so that the file can be moved on every system.
        m_transaction.reset();
        m_db = {};
        // A journal left beside the old database would be taken for the new one's.
        RemoveSideFiles(m_target);
        if (const std::error_code ec = MoveIntoPlace(m_building, m_target)) {
            RemoveDatabaseFiles(m_building);
            m_committed = true;
            throw std::runtime_error(Utf16ToUtf8(notes_text::NotPutInPlace(
                QString::fromStdU16String(m_target.u16string()), QString::fromStdU16String(SystemErrorText(ec)))));
        }
    }
    m_committed = true;
}

} // namespace store
