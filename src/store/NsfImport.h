// The import of a Domino database file as Domino writes it (.nsf), read without Domino: every
// document with its universal ID, form, times and items, and every view with its name, alias and
// columns. What cannot be read (a damaged note, an encrypted item, an attachment in the object
// store, a compiled formula) is reported, one line each, and the rest is read.
#pragma once

#include "store/DxlImport.h"
#include "store/Note.h"

#include <QString>

#include <filesystem>

namespace store {

// Where an import puts what it reads: the DXL import implements it for both kinds of file.
class ImportSink {
public:
    virtual ~ImportSink() = default;
    // A document; where names it in report lines.
    virtual void addDocument(NoteData document, const QString& where) = 0;
    virtual void addView(const ViewDef& view) = 0;
    // The title of the database read, which a new database takes from the first file that has one.
    virtual void setTitle(const std::u16string& title) = 0;
    virtual void report(const QString& where, const QString& text) = 0;
};

// Whether the file begins as a Domino database file does (the store's own files are SQLite).
bool IsDominoDatabaseFile(const std::filesystem::path& file);

// Reads the documents and views of a Domino database file into sink. Raises DxlImportError when
// the file cannot be read at all.
void ImportDominoDatabase(const std::filesystem::path& file, ImportSink& sink);

} // namespace store
