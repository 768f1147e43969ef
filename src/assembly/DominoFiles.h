// Database files as Domino writes them, which the local store opens through its cache: reading one
// ahead of opening it, so that the programs can show their progress meanwhile and tell what could
// not be read. The window and verdanix-export open a database file through this one function.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class IRegistry;

struct DominoFileRead {
    qsizetype unread = 0; // what could not be read or was simplified, one line each in report
    int64_t losses = 0;   // of those, the things of the data not read or not kept
    QString report;
    bool readNow = false; // false: it was read before, and the cache kept it
};

// Reads the file at path into the cache unless it is there already, reading called first where it
// must be read. Nothing when the file needs no reading ahead: not a Domino database file, or a
// session that a Domino server of its own serves (the registry names a real Domino Objects
// server, on Windows). Raises std::runtime_error with the reason when it cannot be read.
std::optional<DominoFileRead> ReadDominoFileAhead(IRegistry& registry, const QString& path,
                                                  const std::function<void()>& reading = {});
