// Small questions to the operating system: the host name; and the console's text. Standard C++
// interface; the implementation uses the system's sockets and console.
#pragma once

#include <string>

namespace platform {

// The official (resolved) name of this computer, else its plain host name, else empty text.
// Never fails.
std::string LocalHostName();

// Lets a Windows console show the UTF-8 text the command-line programs write (elsewhere nothing
// to do).
void UseUtf8Console();

} // namespace platform
