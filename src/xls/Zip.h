// The zip container of an .xlsx workbook: entries compressed with deflate (zlib), written one
// after the other into a ByteSink, then the central directory. Files up to 4 GB (no zip64).
#pragma once

#include "xls/ByteSink.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct z_stream_s;

namespace xls {

// A raw deflate stream, as zip entries hold it, handed to out piece by piece; keeps the entry's
// CRC-32 and both sizes.
class Deflater {
public:
    explicit Deflater(std::function<void(const uint8_t*, size_t)> out);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void write(std::string_view bytes);
    // write() in two halves, which may run on two threads, each half of the bytes in their order:
    // checksum() counts them into the CRC and the size, compress() compresses them.
    void checksum(std::string_view bytes);
    void compress(std::string_view bytes);
    // Ends the stream; nothing may be written after it.
    void finish();

    uint32_t crc() const noexcept { return m_crc; }
    uint64_t sizeIn() const noexcept { return m_in; }
    uint64_t sizeOut() const noexcept { return m_out; }

private:
    void run(int flush);

    std::unique_ptr<z_stream_s> m_stream;
    std::function<void(const uint8_t*, size_t)> m_sink;
    std::vector<uint8_t> m_buffer;
    uint32_t m_crc = 0;
    uint64_t m_in = 0;
    uint64_t m_out = 0;
    bool m_finished = false;
};

// Compressed bytes kept in an anonymous temporary file (removed when closed), for an entry that
// is written piece by piece while other entries are, too.
class SpoolFile {
public:
    SpoolFile();
    ~SpoolFile();
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    void append(const uint8_t* data, size_t size);
    // Copies everything appended to out.
    void copyTo(ByteSink& out);

private:
    std::FILE* m_file;
};

class ZipWriter {
public:
    explicit ZipWriter(ByteSink& out) : m_out(out) {}

    // An entry compressed here from its whole content.
    void add(const std::string& name, std::string_view content);
    // An entry compressed elsewhere: its CRC-32 and sizes, and a function that writes the
    // compressed bytes to the sink.
    void addCompressed(const std::string& name, uint32_t crc, uint64_t compressed, uint64_t size,
                       const std::function<void(ByteSink&)>& writeData);
    // The central directory; the container is complete.
    void finish();

private:
    struct Entry {
        std::string name;
        uint32_t crc;
        uint32_t compressed;
        uint32_t size;
        uint32_t offset;
    };
    void putEntryFields(const Entry& entry);

    ByteSink& m_out;
    std::vector<Entry> m_entries;
};

} // namespace xls
