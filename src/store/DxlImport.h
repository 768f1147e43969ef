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

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace store {

// Malformed XML or a file that cannot be read: "file:line:column: message". The target is left as
// it was.
class DxlImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DxlImportReport {
    int64_t documents = 0;
    int64_t items = 0;
    int64_t attachments = 0; // file objects, embedded objects among them
    int64_t pictures = 0;
    int64_t views = 0;
    // What was skipped, simplified or replaced, one line each with its file and line number.
    std::vector<std::string> notes;
};

// Imports the DXL files (a folder stands for its *.xml and *.dxl files, in name order) and the
// Domino database files (recognised by their first bytes; see NsfImport.h) into the
// store database target: a new database replacing target, or, with append, added to the
// database there (a document whose universal ID is already there replaces it). The target is
// written beside and put in place only when every file imported.
DxlImportReport ImportDxl(const std::vector<std::filesystem::path>& files, const std::filesystem::path& target,
                          bool append);

// The report as the command prints it.
std::string DescribeImport(const DxlImportReport& report);

} // namespace store
