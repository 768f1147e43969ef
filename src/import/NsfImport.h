// The import of a Domino database file as Domino writes it (.nsf), read without Domino: every
// document with its universal ID, form, times and items, and every view with its name, alias and
// columns. What cannot be read (a damaged note, an encrypted item, an attachment in the object
// store, a compiled formula) is reported, one line each, and the rest is read.
#pragma once

#include "import/ImportTarget.h"

#include <filesystem>

namespace importer {

// Whether the file begins as a Domino database file does (the store's own files are SQLite).
bool IsDominoDatabaseFile(const std::filesystem::path& file);

// Reads the documents and views of a Domino database file into target. Raises ImportError when
// the file cannot be read at all.
void ImportDominoDatabase(const std::filesystem::path& file, ImportTarget& target);

} // namespace importer
