#include "xls/FileSink.h"

#include "interfaces/FileSystem.h"
#include "xls/XlsError.h"

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace xls {

namespace {

// Creates a file that must not exist yet (never reuses someone else's file).
std::FILE* OpenNew(const std::filesystem::path& path) {
#ifdef _WIN32
    // Older C runtimes don't know fopen's "x" mode: create exclusively, then wrap.
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _wfdopen(fd, L"wb");
    if (file == nullptr) {
        const int error = errno;
        _close(fd);
        errno = error;
    }
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

} // namespace

FileSink::FileSink(std::filesystem::path target) : m_target(std::move(target)) {
    const std::filesystem::path folder = m_target.parent_path();
    const auto seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      reinterpret_cast<uintptr_t>(this);
    int error = 0;
    for (uint64_t attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path name = m_target.filename();
        std::string ending = std::to_string((seed + attempt * 7919) % 1000000007);
        ending.insert(ending.begin(), '.');
        ending += ".tmp";
        name += ending;
        m_temporary = folder / name;
        errno = 0;
        m_file = OpenNew(m_temporary);
        if (m_file != nullptr)
            break;
        error = errno;
        if (error != EEXIST)
            break;
    }
    if (m_file == nullptr)
        fail(error);
    // Our own buffer is large; stdio's would only add a copy.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
}

FileSink::~FileSink() {
    discard();
}

void FileSink::discard() noexcept {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        m_temporary.clear();
    }
}

void FileSink::fail(int error) const {
    const std::error_code cause(error == 0 ? EIO : error, std::generic_category());
    throw Error(Error::Code::Io, "Cannot write the workbook " + PathText(m_target) + ": " + cause.message(), cause);
}

void FileSink::drain(const uint8_t* data, size_t size) {
    if (m_file == nullptr)
        fail(EBADF);
    errno = 0;
    if (std::fwrite(data, 1, size, m_file) != size)
        fail(errno);
}

void FileSink::commit() {
    flush();
    std::FILE* file = m_file;
    m_file = nullptr;
    errno = 0;
    if (std::fclose(file) != 0)
        fail(errno);
    if (const std::error_code ec = MoveIntoPlace(m_temporary, m_target))
        throw Error(Error::Code::Io, "Cannot save the workbook " + PathText(m_target) + ": " + ec.message(), ec);
    m_temporary.clear();
}

} // namespace xls
