// A readable listing of a store database: its views with their entries, and its documents.
#pragma once

#include <filesystem>
#include <ostream>

namespace dump {

// Writes the listing; raises store::OpenError or std::runtime_error when the file cannot be read.
// At most maxEntries entries are listed per view (0: all).
void DumpDatabase(const std::filesystem::path& nsf, std::ostream& out, int maxEntries = 20);

} // namespace dump
