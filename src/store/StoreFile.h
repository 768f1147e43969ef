// A store database file: an SQLite database in the store's own schema (see README.md in this
// folder). Opening one and checking that it is one; reading its notes and views is in
// NoteReading.h, its view indexes in ViewIndexer.h, writing one in DatabaseWriter.h.
#pragma once

#include "store/Note.h"
#include "store/Sqlite.h"

#include <filesystem>
#include <stdexcept>
#include <string>
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

} // namespace store
