// Small questions to the operating system: the host name and the exclusive-open lock test.
// Standard C++ interface; the implementation uses the system's sockets and file locks.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The official (resolved) name of this computer, else its plain host name, else empty text.
// Never fails.
std::string LocalHostName();

// True when file exists and cannot be opened for reading with exclusive sharing (another
// program holds it, or it cannot be opened at all).
bool IsFileLockedExclusive(const std::filesystem::path& file);

} // namespace platform
