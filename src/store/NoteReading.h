// Reading a store database file: the views' design, notes with their items and files, and the
// bodies of many notes at once (also copied out on one thread to be read on another).
#pragma once

#include "store/CopiedRows.h"
#include "store/Note.h"
#include "store/Sqlite.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace store {

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

} // namespace store
