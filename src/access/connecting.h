// Logging on to a server: the session logs on with the user name and password, and the values
// that worked are remembered in the settings file.
#pragma once

#include "access/settings.h"

class TNotesSession;

// Logs session on as settings' user. When that succeeds the settings are saved to iniPath
// (raising ProfileWriteError when they cannot be written) and true returns; any failure of the
// log-on itself returns false and changes no file.
bool ConnectToServer(TNotesSession& session, const QString& iniPath, const ConnectionSettings& settings);
