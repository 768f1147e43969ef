// The last connection that succeeded, kept in system.ini beside the executable: section
// "domino", keys "server", "username", "pwd" (the password in plain text, so a new file is
// readable by its owner only).
#pragma once

#include "platform/Folders.h"

#include <QString>

#include <functional>

struct ConnectionSettings {
    QString serverName;
    QString userName;
    QString password;
};

// Reads the three values; an empty server name becomes hostName() (not written back).
ConnectionSettings LoadSettings(const QString& iniPath, const std::function<QString()>& hostName);

// Writes server, username and pwd, in that order. Raises ProfileWriteError ("Unable to write
// to <path>") at the first value that cannot be written; the values before it stay written.
void SaveSettings(const QString& iniPath, const ConnectionSettings& settings);
