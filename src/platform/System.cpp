#ifdef _WIN32
// Windows Sockets must come before anything that includes windows.h.
#include <winsock2.h>

#include <windows.h>
#include <ws2tcpip.h>
#endif

#include "platform/System.h"

#ifndef _WIN32
#include <fcntl.h>
#include <netdb.h>
#include <sys/file.h>
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

bool IsFileLockedExclusive(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return false;
#ifdef _WIN32
    HANDLE handle =
        CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(handle);
    return false;
#else
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
#endif
}

} // namespace platform
