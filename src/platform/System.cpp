#ifdef _WIN32
// Windows Sockets must come before anything that includes windows.h.
#include <winsock2.h>

#include <windows.h>
#include <ws2tcpip.h>
#endif

#include "platform/System.h"

#ifndef _WIN32
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <array>

namespace platform {

namespace {

#ifdef _WIN32
// Starts Windows Sockets 1.1 for the lifetime of the object.
struct SocketsLibrary {
    bool started = false;
    SocketsLibrary() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~SocketsLibrary() {
        if (started)
            WSACleanup();
    }
};
#endif

std::string ResolveOfficialName(const std::string& name) {
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    hints.ai_family = AF_UNSPEC;
    addrinfo* result = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || result == nullptr)
        return name;
    std::string official = result->ai_canonname ? result->ai_canonname : name;
    freeaddrinfo(result);
    return official;
}

} // namespace

std::string LocalHostName() {
#ifdef _WIN32
    SocketsLibrary sockets;
    if (!sockets.started)
        return {};
#endif
    std::array<char, 128> buffer{};
    if (gethostname(buffer.data(), static_cast<int>(buffer.size() - 1)) != 0)
        return {};
    const std::string name(buffer.data());
    if (name.empty())
        return {};
    return ResolveOfficialName(name);
}

void UseUtf8Console() {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
}

} // namespace platform
