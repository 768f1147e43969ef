// What the reader of Domino database files finds in one: every note with its items, as JSON.
#pragma once

#include <filesystem>
#include <ostream>

namespace dump {

// Raises nsf::FormatError when the file cannot be read at all.
void DumpNativeDatabase(const std::filesystem::path& nsf, std::ostream& out);

} // namespace dump
