// Small questions to the operating system: the host name. Standard C++ interface; the
// implementation uses the system's sockets.
#pragma once

#include <string>

namespace platform {

// The official (resolved) name of this computer, else its plain host name, else empty text.
// Never fails.
std::string LocalHostName();

} // namespace platform
