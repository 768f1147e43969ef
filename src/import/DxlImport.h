// Import of DXL (the XML that Domino's DXL exporter writes, for a whole database or for single
// documents) into a store database, read as a stream so that files of any size import in bounded
// memory.
//
// Documents (<document>, <note class='document'>) keep their universal IDs, form, times and
// items in order: text, numbers, date-times (as written, the zone offset left aside), names,
// readers and authors, rich text (kept as its DXL fragment), $FILE objects (attachments, or
// embedded objects where the rich text refers to them with <objectref>), and MIME parts as
// readable text. Views (<view>) keep their name, alias, selection and columns where the store's
// formulas can evaluate them; otherwise a simpler form (all documents; a column of its item, or
// empty) is imported and reported. A database left without a view people browse gets one.
#pragma once

#include "import/Import.h"

#include <filesystem>

namespace importer {

class ImportTarget;

// Reads one DXL file into target. Raises ImportError when the file cannot be read or its XML is
// malformed.
void ImportDxlFile(const std::filesystem::path& file, ImportTarget& target);

} // namespace importer
