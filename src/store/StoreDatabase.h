#include "store/DbFile.h"
// The store's databases and views.
#pragma once

#include <filesystem>
#include <memory>

namespace store::local {

// Opens a database file; raises the server's errors for a missing file or one that is not a
// database.
std::shared_ptr<DbFile> OpenDb(const std::filesystem::path& path);

std::shared_ptr<IDatabase> CreateDatabase(std::shared_ptr<DbFile> file);

} // namespace store::local
