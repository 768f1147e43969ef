#include "store/NsfFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace store {

namespace {

[[noreturn]] void NotADatabase(const std::string& detail) {
    throw OpenError(OpenError::Reason::NotADatabase, detail);
}

} // namespace

sql::Connection OpenDatabaseFile(const std::filesystem::path& file) {
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
        LoadViews(db); // the design must be readable
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
                       "ORDER BY file_id")) {}

void LoadNoteBody(NoteBodyStatements& statements, NoteData& note) {
    note.items.clear();
    note.files.clear();
    // The statements are reset on every way out, so they can serve the next note.
    struct Reset {
        NoteBodyStatements& s;
        ~Reset() {
            s.items.reset();
            s.files.reset();
        }
    } reset{statements};
    auto& items = statements.items;
    items.bind(1, note.noteId);
    // Notes of one database mostly hold alike items: room for as many as the last one had.
    note.items.reserve(statements.itemsLastTime);
    while (items.step()) {
        ItemData item;
        item.name = Utf8ToUtf16(items.bytes(0));
        item.type = static_cast<int32_t>(items.int64(1));
        item.flags = static_cast<uint32_t>(items.int64(2));
        if (item.type == item_type::kRichText)
            item.richText = items.text(3);
        else
            item.values = DecodeValues(items.bytes(3));
        note.items.push_back(std::move(item));
    }
    statements.itemsLastTime = note.items.size();
    auto& files = statements.files;
    files.bind(1, note.noteId);
    while (files.step()) {
        FileData file;
        file.fileId = files.int64(0);
        file.name = Utf8ToUtf16(files.bytes(1));
        file.kind = static_cast<int32_t>(files.int64(2));
        file.objectClass = Utf8ToUtf16(files.bytes(3));
        file.created = files.real(4);
        file.modified = files.real(5);
        file.size = files.int64(6);
        note.files.push_back(std::move(file));
    }
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
    note.unid = Utf8ToUtf16(stmt.bytes(0));
    note.form = Utf8ToUtf16(stmt.bytes(1));
    note.created = stmt.real(2);
    note.modified = stmt.real(3);
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
