// What every layer needs of the file system beyond the standard library: the reason of a failure
// in the words the program speaks to its user, and the one way a file takes another's place.
// Standard C++ only.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// A path as UTF-8 text for a message, whatever the system's code page (std::filesystem::path's
// string() raises on Windows for a name outside it).
std::string PathText(const std::filesystem::path& path);

// Why a file-system call failed, as the program tells it (Chinese): the cause itself ("没有权限",
// "磁盘已满"), never the system's own text where the program knows the cause.
std::u16string SystemErrorText(const std::error_code& error);
inline std::u16string SystemErrorText(int errnoValue) {
    return SystemErrorText(std::error_code(errnoValue, std::generic_category()));
}
// The same as UTF-8, for the standard library's exceptions.
std::string SystemErrorUtf8(const std::error_code& error);

// Puts the file from in the place of to in one step: a reader of to finds the old file or the new
// one, never neither (to need not exist; on Windows, too, an existing to is replaced). Returns
// the failure, empty on success; from is then left as it was.
std::error_code MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) noexcept;
