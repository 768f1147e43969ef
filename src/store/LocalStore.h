// The local Domino store: an embedded Domino Objects server over the store's SQLite database
// files. It serves the installation whose program folder holds the component file nlsxbe.dll and
// notes.ini ("Directory=" the data folder, "ServerName=" the server's hierarchical name).
#pragma once

#include "interfaces/DominoObjects.h"
#include "platform/PortableComClassFactory.h"
#include "store/Messages.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace store {

// The component kind the store's component file names.
inline constexpr char kComponentKind[] = "LocalDominoStore";

// Back-end error codes, as COM codes: 0x8004 in the high word.
namespace notes_code {
constexpr int32_t kNotesError = static_cast<int32_t>(0x80040FA0);         // 4000, wraps a lower-level text
constexpr int32_t kFileNotFound = static_cast<int32_t>(0x80040FA3);       // 4003
constexpr int32_t kNoSuchView = static_cast<int32_t>(0x80040FC7);         // 4039
constexpr int32_t kDatabaseOpenFailed = static_cast<int32_t>(0x80040FCB); // 4043
constexpr int32_t kNoAccess = static_cast<int32_t>(0x80040FDC);           // 4060
constexpr int32_t kBadUnid = static_cast<int32_t>(0x80040FFB);            // 4091
} // namespace notes_code

// Where an installation keeps its data, as its notes.ini says.
struct Installation {
    std::filesystem::path programDir;
    std::filesystem::path dataDir;
    std::u16string serverName;
    std::u16string directoryFile = u"names.nsf"; // the Domino Directory, relative to dataDir
};

// Reads programDir/notes.ini; raises EOleException when it is missing or names no data folder.
Installation ReadInstallation(const std::filesystem::path& programDir);

// Reads a database file that is not one of the store's own (one as Domino writes it) into a store
// database and gives that database's path; nothing for a file of no kind it reads. Raises
// std::runtime_error with the reason when the file is of its kind but cannot be read.
using ForeignDatabaseReader = std::function<std::optional<std::filesystem::path>(const std::filesystem::path& file)>;

// A new session for the installation in programDir; it opens other kinds of database files
// through readForeign (without one, only the store's own).
std::shared_ptr<ISession> CreateSession(const std::filesystem::path& programDir,
                                        ForeignDatabaseReader readForeign = {});

// Lets factory start the store for component files of kind kComponentKind.
void RegisterLocalStore(PortableComClassFactory& factory, ForeignDatabaseReader readForeign = {});

} // namespace store
