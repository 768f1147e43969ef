#include "store/StoreFile.h"
#include "store/Formula.h"
#include "store/NoteReading.h"
#include "store/ValueCodec.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <span>

namespace store {

namespace {

[[noreturn]] void NotADatabase(const std::string& detail) {
    throw OpenError(OpenError::Reason::NotADatabase, detail);
}

} // namespace

sql::Connection OpenDatabaseFile(const std::filesystem::path& file, std::vector<ViewDef>* views) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status))
        throw OpenError(OpenError::Reason::Missing, "no such file");
    if (!std::filesystem::is_regular_file(status))
        NotADatabase("not a regular file");
    {
        // SQLite treats an empty file as an empty database; the store does not.
        std::ifstream in(file, std::ios::binary);
        char header[16] = {};
        if (!in.read(header, sizeof header) || std::memcmp(header, "SQLite format 3\0", 16) != 0)
            NotADatabase("not an SQLite file");
    }
    try {
        sql::Connection db(file, sql::Connection::Mode::ReadOnly);
        {
            auto stmt = db.prepare("PRAGMA application_id");
            if (!stmt.step() || stmt.int64(0) != kApplicationId)
                NotADatabase("not a store database");
        }
        std::string format, version;
        auto stmt = db.prepare("SELECT key, value FROM meta WHERE key IN ('format', 'version')");
        while (stmt.step()) {
            if (stmt.text(0) == "format")
                format = stmt.text(1);
            else
                version = stmt.text(1);
        }
        if (format != kFormatName || version != std::to_string(kFormatVersion))
            NotADatabase("unknown format or version");
        std::vector<ViewDef> design = LoadViews(db); // the design must be readable
        if (views)
            *views = std::move(design);
        return db;
    } catch (const sql::Error& e) {
        NotADatabase(e.what());
    } catch (const FormulaError& e) {
        NotADatabase(e.what());
    }
}

std::vector<ViewDef> LoadViews(const sql::Connection& db) {
    std::vector<ViewDef> views;
    auto stmt = db.prepare("SELECT view_id, name, alias, selection FROM views ORDER BY view_id");
    while (stmt.step()) {
        ViewDef view;
        view.viewId = stmt.int64(0);
        view.name = Utf8ToUtf16(stmt.bytes(1));
        view.alias = Utf8ToUtf16(stmt.bytes(2));
        view.selection = Utf8ToUtf16(stmt.bytes(3));
        views.push_back(std::move(view));
    }
    auto columns = db.prepare("SELECT view_id, title, item, formula, sort FROM view_columns ORDER BY view_id, seq");
    while (columns.step()) {
        const int64_t viewId = columns.int64(0);
        auto view = std::find_if(views.begin(), views.end(), [&](const ViewDef& v) { return v.viewId == viewId; });
        if (view == views.end())
            continue;
        ColumnDef column;
        column.title = Utf8ToUtf16(columns.bytes(1));
        column.item = Utf8ToUtf16(columns.bytes(2));
        column.formula = Utf8ToUtf16(columns.bytes(3));
        column.sort = static_cast<int>(columns.int64(4));
        view->columns.push_back(std::move(column));
    }
    return views;
}

NoteBodyStatements::NoteBodyStatements(const sql::Connection& db)
    : items(db.prepare("SELECT name, type, flags, value FROM items WHERE note_id = ? ORDER BY seq")),
      files(db.prepare("SELECT file_id, name, kind, class, created, modified, size FROM files WHERE note_id = ? "
                       "ORDER BY file_id")),
      itemsOfRun(db.prepare("SELECT note_id, name, type, flags, value FROM items WHERE note_id BETWEEN ? AND ? "
                            "ORDER BY note_id, seq")),
      filesOfRun(db.prepare("SELECT note_id, file_id, name, kind, class, created, modified, size FROM files "
                            "WHERE note_id BETWEEN ? AND ? ORDER BY note_id, file_id")) {}

namespace {

using sql::ResetOnExit;
using sql::StatementCursor;

// Adds to note the item of the row whose name, type, flags and value start at column first.
template <class Row> void ReadItemRow(const Row& row, int first, NoteBodyStatements& statements, NoteData& note) {
    // Notes of one database mostly hold alike items: room for as many as the last one had.
    if (note.items.empty())
        note.items.reserve(statements.itemsLastTime);
    ItemData& item = note.items.emplace_back();
    // ... and mostly name them alike and in the same order: a name that is the last note's at
    // this place is taken as already decoded.
    auto& names = statements.namesLastTime;
    const size_t at = note.items.size() - 1;
    const std::string_view name = row.bytes(first);
    if (at < names.size() && names[at].first == name) {
        item.name = names[at].second;
    } else {
        item.name = Utf8ToUtf16(name);
        if (at < names.size())
            names[at] = {std::string(name), item.name};
        else if (at < NoteBodyStatements::kNamesRemembered)
            names.emplace_back(std::string(name), item.name);
    }
    item.type = static_cast<int32_t>(row.int64(first + 1));
    item.flags = static_cast<uint32_t>(row.int64(first + 2));
    if (item.type == item_type::kRichText)
        item.richText = row.text(first + 3);
    else
        item.values = DecodeValues(row.bytes(first + 3));
    statements.itemsLastTime = note.items.size();
}

// Adds to note the file description of the row that starts at column first.
template <class Row> void ReadFileRow(const Row& row, int first, NoteData& note) {
    FileData& file = note.files.emplace_back();
    file.fileId = row.int64(first);
    file.name = Utf8ToUtf16(row.bytes(first + 1));
    file.kind = static_cast<int32_t>(row.int64(first + 2));
    file.objectClass = Utf8ToUtf16(row.bytes(first + 3));
    file.created = row.real(first + 4);
    file.modified = row.real(first + 5);
    file.size = row.int64(first + 6);
}

// Reads the bodies of a run of notes with ids close together (ascending) from their item rows and
// file rows (each "note_id, ..." in the order of the notes); rows of notes between them that were
// not asked for are passed over.
template <class Items, class Files>
void LoadRunFrom(NoteBodyStatements& statements, std::span<const int64_t> ids, Items&& items, Files&& files,
                 std::unordered_map<int64_t, NoteData>& into) {
    std::vector<NoteData*> bodies;
    bodies.reserve(ids.size());
    for (const int64_t id : ids) {
        NoteData& body = into[id];
        body = NoteData();
        body.noteId = id;
        bodies.push_back(&body);
    }
    std::vector<bool> damaged(ids.size());
    const auto place = [&](int64_t id) -> std::optional<size_t> {
        const auto found = std::lower_bound(ids.begin(), ids.end(), id);
        if (found == ids.end() || *found != id)
            return std::nullopt;
        return static_cast<size_t>(found - ids.begin());
    };
    try {
        while (items.next()) {
            decltype(auto) row = items.row();
            const auto at = place(row.int64(0));
            if (!at || damaged[*at])
                continue;
            try {
                ReadItemRow(row, 1, statements, *bodies[*at]);
            } catch (const CorruptData&) {
                damaged[*at] = true;
            }
        }
        while (files.next()) {
            decltype(auto) row = files.row();
            if (const auto at = place(row.int64(0)); at && !damaged[*at])
                ReadFileRow(row, 1, *bodies[*at]);
        }
    } catch (const sql::Error&) {
        std::fill(damaged.begin(), damaged.end(), true);
    } catch (...) {
        // Out of memory, say: no body of the run is left half read.
        for (const int64_t id : ids)
            into.erase(id);
        throw;
    }
    for (size_t i = 0; i < ids.size(); ++i)
        if (damaged[i])
            into.erase(ids[i]);
}

void LoadRun(NoteBodyStatements& statements, std::span<const int64_t> ids,
             std::unordered_map<int64_t, NoteData>& into) {
    ResetOnExit reset{statements.itemsOfRun, statements.filesOfRun};
    try {
        statements.itemsOfRun.bind(1, ids.front()).bind(2, ids.back());
        statements.filesOfRun.bind(1, ids.front()).bind(2, ids.back());
    } catch (const sql::Error&) {
        for (const int64_t id : ids)
            into.erase(id);
        return;
    }
    LoadRunFrom(statements, ids, StatementCursor{statements.itemsOfRun}, StatementCursor{statements.filesOfRun}, into);
}

// The notes in runs of ids close together: a note in the middle of a run costs no search of its
// own; a note apart from the rest (in a view sorted by something else) is a run by itself. Runs may
// pass over one note between.
std::vector<std::span<const int64_t>> NoteRuns(std::vector<int64_t>& noteIds) {
    constexpr int64_t kMostApart = 2;
    std::sort(noteIds.begin(), noteIds.end());
    noteIds.erase(std::unique(noteIds.begin(), noteIds.end()), noteIds.end());
    std::vector<std::span<const int64_t>> runs;
    for (size_t first = 0, end = 0; first < noteIds.size(); first = end) {
        for (end = first + 1; end < noteIds.size() && noteIds[end] - noteIds[end - 1] <= kMostApart;)
            ++end;
        runs.push_back(std::span<const int64_t>(noteIds).subspan(first, end - first));
    }
    return runs;
}

} // namespace

void LoadNoteBody(NoteBodyStatements& statements, NoteData& note) {
    note.items.clear();
    note.files.clear();
    ResetOnExit reset{statements.items, statements.files};
    statements.items.bind(1, note.noteId);
    while (statements.items.step())
        ReadItemRow(statements.items, 0, statements, note);
    statements.files.bind(1, note.noteId);
    while (statements.files.step())
        ReadFileRow(statements.files, 0, note);
}

void LoadNoteBodies(NoteBodyStatements& statements, std::vector<int64_t> noteIds,
                    std::unordered_map<int64_t, NoteData>& into) {
    for (const auto run : NoteRuns(noteIds)) {
        if (run.size() > 1) {
            LoadRun(statements, run, into);
            continue;
        }
        NoteData body;
        body.noteId = run.front();
        try {
            LoadNoteBody(statements, body);
        } catch (const CorruptData&) {
            continue;
        } catch (const sql::Error&) {
            continue;
        }
        into[body.noteId] = std::move(body);
    }
}

CopiedBodies CopyNoteBodies(NoteBodyStatements& statements, std::vector<int64_t> noteIds) {
    using Kind = CopiedRows::Kind;
    CopiedBodies copied;
    for (const auto run : NoteRuns(noteIds)) {
        CopiedBodies::Run& into = copied.runs.emplace_back(
            CopiedBodies::Run{{run.begin(), run.end()},
                              CopiedRows({Kind::Integer, Kind::Bytes, Kind::Integer, Kind::Integer, Kind::Bytes}),
                              CopiedRows({Kind::Integer, Kind::Integer, Kind::Bytes, Kind::Integer, Kind::Bytes,
                                          Kind::Real, Kind::Real, Kind::Integer})});
        ResetOnExit reset{statements.itemsOfRun, statements.filesOfRun};
        statements.itemsOfRun.bind(1, run.front()).bind(2, run.back());
        while (statements.itemsOfRun.step())
            into.items.copy(statements.itemsOfRun);
        statements.filesOfRun.bind(1, run.front()).bind(2, run.back());
        while (statements.filesOfRun.step())
            into.files.copy(statements.filesOfRun);
    }
    return copied;
}

void LoadCopiedBodies(NoteBodyStatements& statements, const CopiedBodies& copied,
                      std::unordered_map<int64_t, NoteData>& into) {
    for (const auto& run : copied.runs)
        LoadRunFrom(statements, run.ids, CopiedRows::Cursor(run.items), CopiedRows::Cursor(run.files), into);
}

void LoadNoteBody(const sql::Connection& db, NoteData& note) {
    NoteBodyStatements statements(db);
    LoadNoteBody(statements, note);
}

std::optional<NoteData> LoadNote(const sql::Connection& db, int64_t noteId) {
    auto stmt = db.prepare("SELECT unid, form, created, modified FROM notes WHERE note_id = ?");
    stmt.bind(1, noteId);
    if (!stmt.step())
        return std::nullopt;
    NoteData note;
    note.noteId = noteId;
    ReadNoteHeader(stmt, 0, note);
    LoadNoteBody(db, note);
    return note;
}

std::string LoadFileBytes(const sql::Connection& db, int64_t fileId) {
    auto stmt = db.prepare("SELECT data FROM files WHERE file_id = ?");
    return LoadFileBytes(stmt, fileId);
}

std::string LoadFileBytes(sql::Statement& fileData, int64_t fileId) {
    // Reset on every way out, so the statement serves the next file.
    struct Reset {
        sql::Statement& s;
        ~Reset() { s.reset(); }
    } reset{fileData};
    fileData.bind(1, fileId);
    if (!fileData.step())
        throw CorruptData("file object missing");
    return fileData.text(0);
}

} // namespace store
