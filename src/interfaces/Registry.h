// HKEY_LOCAL_MACHINE, as the program uses it: open one key with all access (never creating it),
// read or write string values, close it again. Back ends: memory and a registry-export file
// (platform/PortableRegistry.h), the Win32 registry (win32/Win32Registry.h). Standard C++ only.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// Raised when a value cannot be written.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An open key; closed when destroyed. An empty value name means the key's default value.
class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    // The string value, or nothing when the key has no such value.
    virtual std::optional<std::u16string> ReadString(const std::u16string& name) = 0;
    virtual void WriteString(const std::u16string& name, const std::u16string& value) = 0;
};

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens an existing key below HKEY_LOCAL_MACHINE with all access (0xF003F). Returns an empty
    // pointer when the key does not exist or cannot be opened with those rights. Key paths may
    // start with "\" and match without regard to letter case.
    virtual std::unique_ptr<IRegistryKey> OpenKey(const std::u16string& path) = 0;
    // Opens a key, creating it and its parents when missing; raises RegistryError on failure.
    virtual std::unique_ptr<IRegistryKey> CreateKey(const std::u16string& path) = 0;
};

// A key path as every back end stores it: no "\" at either end, and one "\" between the names
// of its levels (an empty level names nothing).
inline std::u16string NormalRegistryKey(std::u16string_view path) {
    std::u16string normal;
    normal.reserve(path.size());
    for (char16_t c : path) {
        if (c == u'\\' && (normal.empty() || normal.back() == u'\\'))
            continue;
        normal += c;
    }
    if (!normal.empty() && normal.back() == u'\\')
        normal.pop_back();
    return normal;
}
