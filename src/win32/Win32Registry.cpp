#include "win32/Win32Registry.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring KeyPath(const std::u16string& path) {
    return Wide(NormalRegistryKey(path));
}

class Win32Key : public IRegistryKey {
public:
    explicit Win32Key(HKEY key) : m_key(key) {}
    ~Win32Key() override { RegCloseKey(m_key); }
    Win32Key(const Win32Key&) = delete;
    Win32Key& operator=(const Win32Key&) = delete;

    std::optional<std::u16string> ReadString(const std::u16string& name) override {
        const std::wstring valueName = Wide(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(m_key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return std::nullopt;
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(m_key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        std::u16string value;
        for (size_t i = 0; i < bytes / sizeof(wchar_t) && buffer[i] != L'\0'; ++i)
            value += static_cast<char16_t>(buffer[i]);
        return value;
    }

    void WriteString(const std::u16string& name, const std::u16string& value) override {
        const std::wstring valueName = Wide(name);
        const std::wstring data = Wide(value);
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        if (RegSetValueExW(m_key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) !=
            ERROR_SUCCESS)
            throw RegistryError("cannot write a registry value");
    }

private:
    HKEY m_key;
};

} // namespace

std::unique_ptr<IRegistryKey> Win32Registry::OpenKey(const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyPath(path).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32Key>(key);
}

std::unique_ptr<IRegistryKey> Win32Registry::CreateKey(const std::u16string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw RegistryError("cannot create a registry key");
    return std::make_unique<Win32Key>(key);
}
