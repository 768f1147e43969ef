// Database files as Domino writes them, which the local store opens through its cache: whether a
// file is one, and reading it ahead of opening, so that the programs can show their progress
// meanwhile and tell what could not be read. A Domino server of its own (on Windows) opens them
// itself: there no file is one of these.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

struct DominoFileRead {
    qsizetype unread = 0; // what could not be read or was simplified, one line each in report
    int64_t losses = 0;   // of those, the things of the data not read or not kept
    QString report;
    bool readNow = false; // false: it was read before, and the cache kept it
};

bool IsDominoDatabaseFile(const QString& path);

// Reads the file into the cache unless it is there already, reading called first. Raises
// std::runtime_error with the reason when it cannot be read.
DominoFileRead ReadDominoFile(const QString& path, const std::function<void()>& reading = {});
