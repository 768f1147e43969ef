#include "xls/Zip.h"

#include "xls/XlsError.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace xls {

namespace {

constexpr uint16_t kVersion = 20; // 2.0: deflate
constexpr uint16_t kDeflate = 8;
constexpr uint16_t kDosTime = 0;    // 00:00:00
constexpr uint16_t kDosDate = 0x21; // 1980-01-01
constexpr uint16_t kUtf8Names = 0x0800;

uint32_t Fits32(uint64_t value) {
    if (value > UINT32_MAX)
        throw Error(Error::Code::TooLarge, "The workbook is larger than the file format allows (4 GB)");
    return static_cast<uint32_t>(value);
}

} // namespace

Deflater::Deflater(std::function<void(const uint8_t*, size_t)> out)
    : m_stream(std::make_unique<z_stream_s>()), m_sink(std::move(out)), m_buffer(256 * 1024) {
    m_crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
    // Raw deflate (no zlib header), as zip entries hold it; a fast level, since workbooks are
    // written while the user waits.
    if (deflateInit2(m_stream.get(), 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
}

Deflater::~Deflater() {
    deflateEnd(m_stream.get());
}

void Deflater::write(std::string_view bytes) {
    checksum(bytes);
    compress(bytes);
}

void Deflater::checksum(std::string_view bytes) {
    m_crc = static_cast<uint32_t>(
        crc32(m_crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    m_in += bytes.size();
}

void Deflater::compress(std::string_view bytes) {
    m_stream->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    m_stream->avail_in = static_cast<uInt>(bytes.size());
    run(Z_NO_FLUSH);
}

void Deflater::finish() {
    if (m_finished)
        return;
    m_stream->next_in = nullptr;
    m_stream->avail_in = 0;
    run(Z_FINISH);
    m_finished = true;
}

void Deflater::run(int flush) {
    for (;;) {
        m_stream->next_out = m_buffer.data();
        m_stream->avail_out = static_cast<uInt>(m_buffer.size());
        const int rc = deflate(m_stream.get(), flush);
        if (rc == Z_STREAM_ERROR)
            throw Error(Error::Code::Io, "The workbook could not be compressed");
        const size_t produced = m_buffer.size() - m_stream->avail_out;
        if (produced > 0) {
            m_sink(m_buffer.data(), produced);
            m_out += produced;
        }
        if (flush == Z_FINISH ? rc == Z_STREAM_END : m_stream->avail_in == 0 && m_stream->avail_out != 0)
            return;
    }
}

SpoolFile::SpoolFile() : m_file(std::tmpfile()) {
    if (!m_file)
        throw Error(Error::Code::Io, std::string("No temporary file for the workbook: ") + std::strerror(errno),
                    std::error_code(errno, std::generic_category()));
}

SpoolFile::~SpoolFile() {
    std::fclose(m_file);
}

void SpoolFile::append(const uint8_t* data, size_t size) {
    if (std::fwrite(data, 1, size, m_file) != size)
        throw Error(Error::Code::Io,
                    std::string("The workbook's temporary file could not be written: ") + std::strerror(errno),
                    std::error_code(errno, std::generic_category()));
}

void SpoolFile::copyTo(ByteSink& out) {
    if (std::fflush(m_file) != 0 || std::fseek(m_file, 0, SEEK_SET) != 0)
        throw Error(Error::Code::Io, "The workbook's temporary file could not be read");
    uint8_t buffer[64 * 1024];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0;)
        out.write(buffer, n);
    if (std::ferror(m_file))
        throw Error(Error::Code::Io, "The workbook's temporary file could not be read");
}

void ZipWriter::add(const std::string& name, std::string_view content) {
    std::string compressed;
    Deflater deflater([&compressed](const uint8_t* data, size_t size) {
        compressed.append(reinterpret_cast<const char*>(data), size);
    });
    deflater.write(content);
    deflater.finish();
    addCompressed(name, deflater.crc(), deflater.sizeOut(), deflater.sizeIn(),
                  [&compressed](ByteSink& out) { out.write(compressed.data(), compressed.size()); });
}

void ZipWriter::addCompressed(const std::string& name, uint32_t crc, uint64_t compressed, uint64_t size,
                              const std::function<void(ByteSink&)>& writeData) {
    const Entry entry{name, crc, Fits32(compressed), Fits32(size), Fits32(m_out.position())};
    m_out.u32(0x04034b50);
    putEntryFields(entry);
    m_out.u16(0); // extra
    m_out.write(name.data(), name.size());
    const uint64_t start = m_out.position();
    writeData(m_out);
    if (m_out.position() - start != compressed)
        throw Error(Error::Code::Io, "A workbook part changed size while it was written");
    m_entries.push_back(entry);
}

void ZipWriter::putEntryFields(const Entry& entry) {
    // The fields the local header and the central directory share, in their order.
    m_out.u16(kVersion);
    m_out.u16(kUtf8Names);
    m_out.u16(kDeflate);
    m_out.u16(kDosTime);
    m_out.u16(kDosDate);
    m_out.u32(entry.crc);
    m_out.u32(entry.compressed);
    m_out.u32(entry.size);
    m_out.u16(static_cast<uint16_t>(entry.name.size()));
}

void ZipWriter::finish() {
    const uint32_t start = Fits32(m_out.position());
    for (const Entry& entry : m_entries) {
        m_out.u32(0x02014b50);
        m_out.u16(kVersion); // made by
        putEntryFields(entry);
        m_out.u16(0); // extra
        m_out.u16(0); // comment
        m_out.u16(0); // disk
        m_out.u16(0); // internal attributes
        m_out.u32(0); // external attributes
        m_out.u32(entry.offset);
        m_out.write(entry.name.data(), entry.name.size());
    }
    const uint32_t size = Fits32(m_out.position() - start);
    if (m_entries.size() > 0xFFFF)
        throw Error(Error::Code::TooLarge, "Too many parts for one workbook");
    m_out.u32(0x06054b50);
    m_out.u16(0);
    m_out.u16(0);
    m_out.u16(static_cast<uint16_t>(m_entries.size()));
    m_out.u16(static_cast<uint16_t>(m_entries.size()));
    m_out.u32(size);
    m_out.u32(start);
    m_out.u16(0);
    m_out.flush();
}

} // namespace xls
