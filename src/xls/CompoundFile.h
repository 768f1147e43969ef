// The compound file around the workbook stream (version 3, 512-byte sectors). Layout: the
// allocation table (FAT) sectors, the extra FAT index (DIFAT) sectors when more than 109 FAT
// sectors are needed, one directory sector, then the stream in consecutive sectors. The stream is
// at least 4096 bytes (padded with zeros) so that it never belongs in the mini stream.
#pragma once

#include "xls/ByteSink.h"

#include <cstdint>

namespace xls {

class CompoundFile {
public:
    static constexpr uint32_t kSectorSize = 512;
    static constexpr uint32_t kMinStreamSize = 4096;
    static constexpr uint32_t kHeaderDifatSlots = 109;

    // Plans the file for a stream of streamBytes; raises xls::Error when it cannot hold it.
    explicit CompoundFile(uint64_t streamBytes);

    // Writes header, FAT, DIFAT and directory; the stream's bytes follow.
    void writeHead(ByteSink& out) const;
    // Writes the zeros that pad the stream to its recorded size and to a whole sector.
    void writeTail(ByteSink& out) const;

    uint32_t fatSectors() const noexcept { return m_fatSectors; }
    uint32_t difatSectors() const noexcept { return m_difatSectors; }
    uint32_t streamSectors() const noexcept { return m_streamSectors; }
    // The size recorded for the stream (after padding to kMinStreamSize).
    uint64_t streamSize() const noexcept { return m_streamSize; }
    uint64_t fileSize() const noexcept;

private:
    uint64_t m_streamBytes;
    uint64_t m_streamSize;
    uint32_t m_streamSectors;
    uint32_t m_fatSectors = 0;
    uint32_t m_difatSectors = 0;
};

} // namespace xls
