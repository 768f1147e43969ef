// HKEY_LOCAL_MACHINE, as the program uses it: open one key with all access (never creating it),
// read or write string values, close it again. Three back ends: memory (tests), a registry-export
// text file (portable), and the Win32 registry (Windows only).
#pragma once

#include <filesystem>
#include <map>
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

// Keys and values held in memory, in the same shape as the file back end.
struct RegistryData {
    // Key path (normalised: no leading "\", original letter case of first creation) -> values.
    // Value names are matched without regard to case; "" is the default value.
    std::map<std::u16string, std::map<std::u16string, std::u16string>> keys;

    // Normalised key path: without leading or trailing "\".
    static std::u16string NormalKey(const std::u16string& path);
    // The stored spelling of a key that matches path without regard to case, if any.
    std::optional<std::u16string> FindKey(const std::u16string& path) const;
    // Creates path and every parent key.
    std::u16string AddKey(const std::u16string& path);

    // Registry-export text ("REGEDIT4", "[HKEY_LOCAL_MACHINE\...]", "name"="value", @="value").
    static RegistryData Parse(const std::string& utf8Text);
    std::string Serialize() const;
};

class MemoryRegistry : public IRegistry {
public:
    RegistryData data;
    // Keys listed here exist but refuse all-access opening (a user without rights).
    std::map<std::u16string, bool> deniedKeys;

    std::unique_ptr<IRegistryKey> OpenKey(const std::u16string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(const std::u16string& path) override;
};

// Keys kept in one registry-export file. All-access opening fails when the file is missing,
// unreadable or not writable. Each call reads the file afresh; writes replace it atomically.
class FileRegistry : public IRegistry {
public:
    explicit FileRegistry(std::filesystem::path file) : m_file(std::move(file)) {}

    std::unique_ptr<IRegistryKey> OpenKey(const std::u16string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(const std::u16string& path) override;
    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

#ifdef _WIN32
class Win32Registry : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(const std::u16string& path) override;
    std::unique_ptr<IRegistryKey> CreateKey(const std::u16string& path) override;
};
#endif

// The registry the program uses: Win32 on Windows, else the file beside the executable.
std::unique_ptr<IRegistry> CreateSystemRegistry(const std::filesystem::path& executableDir);
