#include "xls/CompoundFile.h"

#include "xls/XlsError.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace xls {

namespace {

constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kEntriesPerSector = CompoundFile::kSectorSize / 4;
constexpr uint32_t kDifatEntriesPerSector = kEntriesPerSector - 1; // the last one links the next
// The largest stream the 32-bit record offsets inside it can address.
constexpr uint64_t kMaxStreamSize = 0xFFFFFFFFull;

uint64_t CeilDiv(uint64_t a, uint64_t b) {
    return (a + b - 1) / b;
}

void WriteDirectoryEntry(ByteSink& out, std::u16string_view name, uint8_t type, uint32_t child, uint32_t start,
                         uint64_t size) {
    std::array<uint8_t, 64> nameBytes{};
    for (size_t i = 0; i < name.size(); ++i) {
        nameBytes[2 * i] = static_cast<uint8_t>(name[i]);
        nameBytes[2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    out.write(nameBytes.data(), nameBytes.size());
    out.u16(name.empty() ? 0 : static_cast<uint16_t>(2 * (name.size() + 1)));
    out.u8(type);
    out.u8(type == 0 ? 0 : 1); // black
    out.u32(kNoStream);        // left sibling
    out.u32(kNoStream);        // right sibling
    out.u32(child);
    out.zeros(16); // CLSID
    out.u32(0);    // state bits
    out.u64(0);    // creation time
    out.u64(0);    // modification time
    out.u32(start);
    out.u64(size);
}

} // namespace

CompoundFile::CompoundFile(uint64_t streamBytes)
    : m_streamBytes(streamBytes), m_streamSize(std::max<uint64_t>(streamBytes, kMinStreamSize)) {
    if (m_streamSize > kMaxStreamSize)
        throw Error(Error::Code::TooLarge, "The workbook is too large for the file format (more than 4 GB)");
    m_streamSectors = static_cast<uint32_t>(CeilDiv(m_streamSize, kSectorSize));
    // The smallest FAT that maps itself, the DIFAT, the directory sector and the stream.
    for (uint32_t fat = 1;; ++fat) {
        const uint32_t difat = fat <= kHeaderDifatSlots
                                   ? 0
                                   : static_cast<uint32_t>(CeilDiv(fat - kHeaderDifatSlots, kDifatEntriesPerSector));
        if (uint64_t{kEntriesPerSector} * fat >= uint64_t{m_streamSectors} + 1 + fat + difat) {
            m_fatSectors = fat;
            m_difatSectors = difat;
            break;
        }
    }
}

uint64_t CompoundFile::fileSize() const noexcept {
    return kSectorSize * (1 + uint64_t{m_fatSectors} + m_difatSectors + 1 + m_streamSectors);
}

void CompoundFile::writeHead(ByteSink& out) const {
    const uint32_t directorySector = m_fatSectors + m_difatSectors;
    const uint32_t firstStreamSector = directorySector + 1;

    static constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    out.write(kSignature, sizeof kSignature);
    out.zeros(16);   // CLSID
    out.u16(0x003E); // minor version
    out.u16(3);      // major version
    out.u16(0xFFFE); // byte order
    out.u16(9);      // sector shift
    out.u16(6);      // mini sector shift
    out.zeros(6);
    out.u32(0); // directory sectors (always 0 in version 3)
    out.u32(m_fatSectors);
    out.u32(directorySector);
    out.u32(0);    // transaction signature
    out.u32(4096); // mini stream cutoff
    out.u32(kEndOfChain);
    out.u32(0);
    out.u32(m_difatSectors > 0 ? m_fatSectors : kEndOfChain);
    out.u32(m_difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatSlots; ++i)
        out.u32(i < m_fatSectors ? i : kFreeSector);

    // FAT: its own sectors, the DIFAT sectors, the directory, the stream as one chain.
    const uint64_t fatEntries = uint64_t{m_fatSectors} * kEntriesPerSector;
    for (uint64_t n = 0; n < fatEntries; ++n) {
        uint32_t entry = kFreeSector;
        if (n < m_fatSectors)
            entry = kFatSector;
        else if (n < directorySector)
            entry = kDifatSector;
        else if (n == directorySector)
            entry = kEndOfChain;
        else if (n < uint64_t{firstStreamSector} + m_streamSectors)
            entry = n + 1 == uint64_t{firstStreamSector} + m_streamSectors ? kEndOfChain : static_cast<uint32_t>(n + 1);
        out.u32(entry);
    }

    // DIFAT sectors: the FAT sectors past the header's 109, each sector linking the next.
    for (uint32_t d = 0; d < m_difatSectors; ++d) {
        for (uint32_t k = 0; k < kDifatEntriesPerSector; ++k) {
            const uint64_t fat = kHeaderDifatSlots + uint64_t{d} * kDifatEntriesPerSector + k;
            out.u32(fat < m_fatSectors ? static_cast<uint32_t>(fat) : kFreeSector);
        }
        out.u32(d + 1 < m_difatSectors ? m_fatSectors + d + 1 : kEndOfChain);
    }

    WriteDirectoryEntry(out, u"Root Entry", 5, 1, kEndOfChain, 0);
    WriteDirectoryEntry(out, u"Workbook", 2, kNoStream, firstStreamSector, m_streamSize);
    WriteDirectoryEntry(out, u"", 0, kNoStream, 0, 0);
    WriteDirectoryEntry(out, u"", 0, kNoStream, 0, 0);
}

void CompoundFile::writeTail(ByteSink& out) const {
    out.zeros(uint64_t{m_streamSectors} * kSectorSize - m_streamBytes);
}

} // namespace xls
