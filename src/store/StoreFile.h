// A store database file: an SQLite database in the store's own schema (see README.md in this
// folder). Opening and checking a file, reading notes and views, and writing databases.
#pragma once

#include "interfaces/ComObject.h"
#include "store/CopiedRows.h"
#include "store/Formula.h"
#include "store/Note.h"
#include "store/Sqlite.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace store {

// Raised when a file is missing, not a database, or not one of the store's.
class OpenError : public std::runtime_error {
public:
    enum class Reason { Missing, NotADatabase };
    OpenError(Reason reason, const std::string& detail) : std::runtime_error(detail), m_reason(reason) {}
    Reason reason() const noexcept { return m_reason; }

private:
    Reason m_reason;
};

inline constexpr int32_t kApplicationId = 0x56584E53; // "VXNS"
inline constexpr char kFormatName[] = "verdanix-nsf";
inline constexpr int kFormatVersion = 1;

// Opens a store database read-only and checks that it is one: an SQLite file with the store's
// application id, format name and version, and readable view design (given back in views where
// asked for, so that it is read once). Raises OpenError.
sql::Connection OpenDatabaseFile(const std::filesystem::path& file, std::vector<ViewDef>* views = nullptr);

// Reads the views' design in database order.
std::vector<ViewDef> LoadViews(const sql::Connection& db);
// Reads a note's universal id, form, created and modified time, stored in that order from column
// `first` of the row on.
// (Row: an sql::Statement or a CopiedRows::Row.)
template <class Row> void ReadNoteHeader(const Row& row, int first, NoteData& note) {
    note.unid = Utf8ToUtf16(row.bytes(first));
    note.form = Utf8ToUtf16(row.bytes(first + 1));
    note.created = row.real(first + 2);
    note.modified = row.real(first + 3);
}
// Reads a note's items and file descriptions (without file bytes) into note, whose noteId is set.
void LoadNoteBody(const sql::Connection& db, NoteData& note);
// The statements that read a note's items and files, prepared once for many notes.
struct NoteBodyStatements {
    explicit NoteBodyStatements(const sql::Connection& db);
    sql::Statement items;
    sql::Statement files;
    sql::Statement itemsOfRun, filesOfRun; // the same for notes with ids in a range
    size_t itemsLastTime = 0;              // items of the note read last
    // The item names of the notes read before, by place: UTF-8 as stored and decoded.
    static constexpr size_t kNamesRemembered = 256;
    std::vector<std::pair<std::string, std::u16string>> namesLastTime;
};
void LoadNoteBody(NoteBodyStatements& statements, NoteData& note);
// Reads the bodies of several notes into `into`, by id. A note whose stored bytes do not decode
// (or whose read fails) is left out, so that reading it alone raises its own error and not its
// neighbours'.
void LoadNoteBodies(NoteBodyStatements& statements, std::vector<int64_t> noteIds,
                    std::unordered_map<int64_t, NoteData>& into);
// The bodies of notes copied out of the file (on one thread) to be read into notes (on another).
struct CopiedBodies {
    struct Run {
        std::vector<int64_t> ids; // ascending
        CopiedRows items, files;
    };
    std::vector<Run> runs;
};
// Copies what LoadNoteBodies() would read of these notes. Raises sql::Error.
CopiedBodies CopyNoteBodies(NoteBodyStatements& statements, std::vector<int64_t> noteIds);
// Reads copied bodies into `into`, as LoadNoteBodies() does (a note that does not decode is left
// out). Uses statements' memory of item names only.
void LoadCopiedBodies(NoteBodyStatements& statements, const CopiedBodies& copied,
                      std::unordered_map<int64_t, NoteData>& into);
// Reads a note by id with its header; nothing when there is no such note.
std::optional<NoteData> LoadNote(const sql::Connection& db, int64_t noteId);
// The bytes of a stored file.
std::string LoadFileBytes(const sql::Connection& db, int64_t fileId);
// The same through a statement prepared once ("SELECT data FROM files WHERE file_id = ?").
std::string LoadFileBytes(sql::Statement& fileData, int64_t fileId);

// A view's entry for one note: its place in the order and its column values.
struct ViewEntry {
    std::string sortKey; // byte order = view order; ends with the note id, so keys are unique
    int64_t noteId = 0;
    std::string columns; // EncodeColumns of the column values
};

// A view's design compiled for building index entries.
// Characters of one text value that a view index keeps.
inline constexpr size_t kMaxColumnText = 16384;

class ViewIndexer {
public:
    explicit ViewIndexer(ViewDef def);
    const ViewDef& def() const { return m_def; }
    // The note's entry, or nothing when the selection does not select it.
    std::optional<ViewEntry> entryFor(const NoteData& note) const;

private:
    ViewDef m_def;
    std::optional<Formula> m_selection;
    std::vector<std::optional<Formula>> m_columnFormulas;
};

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
