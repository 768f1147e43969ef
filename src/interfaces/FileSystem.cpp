#include "interfaces/FileSystem.h"

#include "interfaces/ComObject.h"
#include "interfaces/Translate.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {

// Marks a text for the translation tools, as Qt's macro of that name does (this file is built
// without Qt); the text is translated where it is told.
#define QT_TRANSLATE_NOOP(context, text) text

// The cause as the program words it, in its own language (translated where it is told).
const char* KnownCause(const std::error_condition& condition) {
    if (condition.category() != std::generic_category())
        return nullptr;
    switch (static_cast<std::errc>(condition.value())) {
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted:
        return QT_TRANSLATE_NOOP("SystemError", "没有权限");
    case std::errc::no_such_file_or_directory:
        return QT_TRANSLATE_NOOP("SystemError", "文件或文件夹不存在");
    case std::errc::not_a_directory:
        return QT_TRANSLATE_NOOP("SystemError", "路径中有一级是文件而不是文件夹");
    case std::errc::is_a_directory:
        return QT_TRANSLATE_NOOP("SystemError", "已有同名的文件夹");
    case std::errc::file_exists:
        return QT_TRANSLATE_NOOP("SystemError", "已有同名的文件");
    case std::errc::no_space_on_device:
        return QT_TRANSLATE_NOOP("SystemError", "磁盘已满");
    case std::errc::read_only_file_system:
        return QT_TRANSLATE_NOOP("SystemError", "文件系统是只读的");
    case std::errc::filename_too_long:
        return QT_TRANSLATE_NOOP("SystemError", "文件名或路径太长");
    case std::errc::file_too_large:
        return QT_TRANSLATE_NOOP("SystemError", "文件超出了允许的大小");
    case std::errc::too_many_files_open:
    case std::errc::too_many_files_open_in_system:
        return QT_TRANSLATE_NOOP("SystemError", "打开的文件太多");
    case std::errc::io_error:
        return QT_TRANSLATE_NOOP("SystemError", "磁盘读写出错");
    case std::errc::invalid_argument:
        return QT_TRANSLATE_NOOP("SystemError", "文件名无效");
    case std::errc::device_or_resource_busy:
    case std::errc::text_file_busy:
        return QT_TRANSLATE_NOOP("SystemError", "文件正被其他程序使用");
    case std::errc::directory_not_empty:
        return QT_TRANSLATE_NOOP("SystemError", "文件夹不是空的");
    case std::errc::cross_device_link:
        return QT_TRANSLATE_NOOP("SystemError", "不能在不同的磁盘之间移动文件");
    case std::errc::not_enough_memory:
        return QT_TRANSLATE_NOOP("SystemError", "内存不足");
    case std::errc::too_many_symbolic_link_levels:
        return QT_TRANSLATE_NOOP("SystemError", "符号链接层数太多");
    case std::errc::no_such_device:
    case std::errc::no_such_device_or_address:
        return QT_TRANSLATE_NOOP("SystemError", "设备不存在");
    default:
        break;
    }
#ifdef EDQUOT
    if (condition.value() == EDQUOT)
        return QT_TRANSLATE_NOOP("SystemError", "超出了磁盘配额");
#endif
    return nullptr;
}

std::u16string Widen(const std::string& text) {
    // The system's text, taken as UTF-8 (what Linux gives; bytes that are not become U+FFFD).
    return Utf8ToUtf16(text);
}

} // namespace

std::u16string SystemErrorText(const std::error_code& error) {
    if (!error)
        return {};
    const char* cause = KnownCause(error.default_error_condition());
#ifdef _WIN32
    if (!cause && error.category() == std::system_category()) {
        switch (error.value()) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            cause = QT_TRANSLATE_NOOP("SystemError", "文件正被其他程序使用");
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            cause = QT_TRANSLATE_NOOP("SystemError", "磁盘已满");
            break;
        case ERROR_INVALID_NAME:
            cause = QT_TRANSLATE_NOOP("SystemError", "文件名无效");
            break;
        default:
            break;
        }
    }
#endif
    if (cause)
        return TranslateUtf16("SystemError", cause);
    // "系统错误 %1（%2）": the system's number and its own words.
    std::u16string text = TranslateUtf16("SystemError", "系统错误 %1（%2）");
    for (const auto& [marker, value] :
         {std::pair{u"%1", Widen(std::to_string(error.value()))}, std::pair{u"%2", Widen(error.message())}})
        if (const size_t at = text.find(marker); at != std::u16string::npos)
            text.replace(at, 2, value);
    return text;
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string SystemErrorUtf8(const std::error_code& error) {
    return Utf16ToUtf8(SystemErrorText(error));
}

std::error_code MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) noexcept {
#ifdef _WIN32
    // Not every C++ runtime's rename replaces an existing file on Windows; this call does.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return std::error_code(static_cast<int>(GetLastError()), std::system_category());
#else
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return {};
    return std::error_code(errno, std::generic_category());
#endif
}
