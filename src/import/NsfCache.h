// Domino database files (.nsf as Domino writes them) opened as store databases: each is read once
// into a store database in a cache folder and opened from there, read again when it has changed.
#pragma once

#include "store/LocalStore.h"

#include <filesystem>
#include <functional>

namespace importer {

struct CachedDatabase {
    std::filesystem::path file;   // the store database to open
    std::filesystem::path report; // what the import could not read (DescribeImport), beside it
    size_t unread = 0;            // lines of the report past its first
    int64_t losses = 0;           // of those, the things of the data not read or not kept
    bool readNow = false;         // false: the cache was up to date
};

// The cache folder: nsf-cache in the user's cache folder for this program ($XDG_CACHE_HOME/verdanix,
// usually ~/.cache/verdanix; %LOCALAPPDATA%\cache\verdanix on Windows). A cache kept in the
// configuration folder before is moved here once.
std::filesystem::path DominoCacheFolder();

// The store database of source: from the cache when it was read from the file as it is now (same
// size and time of change, same reader), else read now, reading called first. Raises ImportError
// when the file cannot be read; the cache then keeps what it had.
CachedDatabase CacheDominoDatabase(const std::filesystem::path& source,
                                   const std::filesystem::path& cacheFolder = DominoCacheFolder(),
                                   const std::function<void()>& reading = {});

// The store's reader of Domino database files: each is opened from the cache, resolved to its cache
// database once in a run of the program (CacheDominoDatabase renews that).
store::ForeignDatabaseReader DominoDatabaseReader();

} // namespace importer
