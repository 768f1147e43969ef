// The portable registry back ends: keys held in memory (tests) and keys kept in a
// registry-export text file (the program on other systems than Windows).
#pragma once

#include "interfaces/Registry.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// Keys and values held in memory, in the same shape as the file back end.
// A value: a string, or another kind (dword:, hex:) kept as the text it has in the file so that
// rewriting the file keeps it; ReadString does not return those.
struct RegistryValue {
    std::u16string text;
    bool raw = false;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

struct RegistryData {
    // Key path (normalised: no leading "\", original letter case of first creation) -> values.
    // Value names are matched without regard to case; "" is the default value.
    std::map<std::u16string, std::map<std::u16string, RegistryValue>> keys;

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
