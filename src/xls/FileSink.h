// Writing a file so that it appears whole or not at all: the bytes go to a new temporary file
// beside the target, which is renamed over the target once complete. Failures raise xls::Error
// (Io) naming the path and the system's reason.
#pragma once

#include "xls/ByteSink.h"

#include <cstdio>
#include <filesystem>

namespace xls {

class FileSink : public ByteSink {
public:
    // Creates a temporary file in the target's folder.
    explicit FileSink(std::filesystem::path target);
    // Removes the temporary file unless commit() succeeded.
    ~FileSink() override;

    // Flushes, closes the temporary file and renames it to the target.
    void commit();

    const std::filesystem::path& temporaryPath() const noexcept { return m_temporary; }

protected:
    void drain(const uint8_t* data, size_t size) override;

private:
    [[noreturn]] void fail(int error) const;
    void discard() noexcept;

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    std::FILE* m_file = nullptr;
};

} // namespace xls
