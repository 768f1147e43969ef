// The demo installation: a program folder with the store's component file and notes.ini, a data
// folder of databases that look like a small office's, and the registry and settings files the
// program reads beside its executable.
#pragma once

#include <filesystem>
#include <string>

namespace demo {

inline constexpr char16_t kServerName[] = u"CN=OASVR01/O=HuaXin";
inline constexpr char16_t kServerNameShort[] = u"OASVR01/HuaXin";
inline constexpr char16_t kUserFullName[] = u"CN=张伟/O=HuaXin";
inline constexpr char16_t kUserShortName[] = u"zhangwei";
inline constexpr char16_t kUserPassword[] = u"demo123";

struct Result {
    bool rebuilt = false;
    int databases = 0;
    int documents = 0;
};

// Builds the installation under installRoot (program/, data/) and writes registry.reg and
// system.ini into exeDir. A complete installation is left as it is unless force is set.
// Raises std::runtime_error on failure.
Result BuildDemo(const std::filesystem::path& installRoot, const std::filesystem::path& exeDir, bool force);

// The registry-export text that points the program at an installation.
std::string RegistryText(const std::filesystem::path& programDir, const std::filesystem::path& dataDir);

} // namespace demo
