// Imports into a store database: DXL (the XML that Domino's DXL exporter writes, for a whole
// database or for single documents) and Domino database files as Domino writes them (.nsf), each
// read as a stream so that files of any size import in bounded memory, with one report of what
// was read and what was not.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace importer {

// Malformed XML or a file that cannot be read: "file:line:column: message". The target is left as
// it was.
class ImportError : public std::runtime_error {
public:
    enum class Kind {
        Failed,      // a file could not be read, or the target not written
        NothingRead, // a database file lists notes, but not one of its documents can be read
    };
    explicit ImportError(const std::string& message, Kind kind = Kind::Failed)
        : std::runtime_error(message), m_kind(kind) {}
    Kind kind() const noexcept { return m_kind; }

private:
    Kind m_kind;
};

struct ImportReport {
    int64_t documents = 0;
    int64_t items = 0;
    int64_t attachments = 0; // file objects, embedded objects among them
    int64_t pictures = 0;
    int64_t views = 0;
    // What was skipped, simplified or replaced, one line each with its file and line number (a run
    // of lines of one text is one line with their count).
    std::vector<std::string> notes;
    // Of those, the things of the data not read or not kept (notes, items, files, pictures,
    // characters): an import without any read everything.
    int64_t losses = 0;
};

// Imports the DXL files (a folder stands for its *.xml and *.dxl files, in name order) and the
// Domino database files (recognised by their first bytes; see NsfImport.h) into the store
// database target: a new database replacing target, or, with append, added to the database there
// (a document whose universal ID is already there replaces it). The target is written beside and
// put in place only when every file imported.
ImportReport Import(const std::vector<std::filesystem::path>& files, const std::filesystem::path& target, bool append);

// The report as the command prints it: a line summing up, then the report's lines.
std::string DescribeImport(const ImportReport& report);

} // namespace importer
