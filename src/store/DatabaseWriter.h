// Writing a store database file.
#pragma once

#include "store/Note.h"
#include "store/Sqlite.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace store {

// Writes a database: creates a new file or adds to an existing one, in one transaction. View
// indexes are brought up to date on commit, so that every view lists every selected note in
// order. Raises std::runtime_error (sql::Error, FormulaError) on failure; nothing is written
// unless commit() succeeds.
class DatabaseWriter {
public:
    // A new database file, built beside file and put in its place by commit(): an existing file
    // of that name is replaced only then, and a writer that is not committed leaves it as it was.
    static std::unique_ptr<DatabaseWriter> Create(const std::filesystem::path& file, const std::u16string& title);
    // An existing store database.
    static std::unique_ptr<DatabaseWriter> Open(const std::filesystem::path& file);
    ~DatabaseWriter();

    // Adds a view; its selection and column formulas must parse. Returns its id.
    int64_t addView(const ViewDef& view);
    // Adds a note (items in order, files with their bytes). An empty unid gets a new one; a zero
    // created or modified time becomes now. A "Form" item is added from note.form when missing.
    // Returns the note's universal ID.
    std::u16string addNote(NoteData note);
    // Whether a note with that universal ID is in the database.
    bool hasNote(const std::u16string& unid);
    // Removes the note with that universal ID, with its items, files and view entries; false when
    // there is none.
    bool removeNote(const std::u16string& unid);
    // Gives the database another title.
    void setTitle(const std::u16string& title);
    // Brings the view indexes up to date and commits; the writer accepts nothing afterwards.
    void commit();

private:
    struct ViewState;
    explicit DatabaseWriter(sql::Connection db);
    void mergeIndex(ViewState& view);
    std::optional<int64_t> noteIdOf(const std::u16string& unid);
    static constexpr size_t kMaxPendingEntries = 50000;
    static constexpr size_t kMaxPendingBytes = size_t{16} << 20; // column values can be long

    sql::Connection m_db;
    std::unique_ptr<sql::Transaction> m_transaction;
    std::vector<std::unique_ptr<ViewState>> m_views;
    sql::Statement m_insertNote, m_insertItem, m_insertFile, m_findNote;
    double m_now; // the time of notes added without one
    bool m_committed = false;
    std::filesystem::path m_target;   // for a new database: where commit() puts it
    std::filesystem::path m_building; // and where it is built until then
};

} // namespace store
