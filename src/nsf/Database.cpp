#include "nsf/Database.h"

#include "nsf/Cx.h"
#include "nsf/Layout.h"
#include "nsf/Lmbcs.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace nsf {

namespace {

using namespace layout;
// On-disk structures this reader was checked on.
constexpr uint32_t kKnownOds[] = {43, 52, 55};

// The body of a superblock or descriptor block: stored, or CX compressed.
std::string Expand(std::string_view stored, uint16_t compression, uint32_t size, const std::string& what) {
    if (compression == 0)
        return std::string(stored.substr(0, std::min<size_t>(stored.size(), size)));
    if (compression != 1)
        throw FormatError(what + " is compressed in a way this reader does not know (method " +
                          std::to_string(compression) + ")");
    // Real bodies expand some ten times (their RRV bucket, mostly one byte repeated, more); a
    // claim far beyond that is damage, and is not given the memory it asks for.
    if (size > kMaxStructure || size > uint64_t{stored.size()} * 1024 + (1u << 20))
        throw FormatError(what + " claims " + std::to_string(size) + " bytes from " + std::to_string(stored.size()));
    try {
        return CxDecompress(stored, size);
    } catch (const FormatError& e) {
        throw FormatError(what + ": " + e.what());
    }
}

} // namespace

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string UnidText(Bytes bytes, size_t offset) {
    char text[40];
    std::snprintf(text, sizeof text, "%016llX%016llX", static_cast<unsigned long long>(bytes.u64(offset)),
                  static_cast<unsigned long long>(bytes.u64(offset + 8)));
    return text;
}

bool Database::HasSignature(std::string_view firstBytes) {
    if (firstBytes.size() < 10 || firstBytes[0] != 0x1A || firstBytes[1] != 0)
        return false;
    const uint32_t ods = Bytes(firstBytes).u32(6);
    return ods >= 17 && ods < 100;
}

Database::Database(const std::filesystem::path& file) : m_file(std::make_unique<QFile>()) {
    m_file->setFileName(QString::fromStdU16String(file.u16string()));
    if (!m_file->open(QIODevice::ReadOnly))
        throw FormatError(file.string() + ": " + m_file->errorString().toStdString());
    m_fileSize = static_cast<uint64_t>(m_file->size());
    readHeader();
    readSuperblock();
    readDescriptorBlock();
    readRrvTable();
}

Database::~Database() = default;

std::string Database::readAt(uint64_t position, uint64_t size, const char* what) {
    if (size > kMaxStructure || position > m_fileSize || size > m_fileSize - position)
        throw FormatError(std::string(what) + Where(position) + " (" + std::to_string(size) +
                          " bytes) lies beyond the end of the file (" + std::to_string(m_fileSize) + " bytes)");
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!m_file->seek(static_cast<qint64>(position)) ||
        m_file->read(bytes.data(), static_cast<qint64>(size)) != static_cast<qint64>(size))
        throw FormatError(std::string("cannot read ") + what + Where(position) + ": " +
                          m_file->errorString().toStdString());
    return bytes;
}

void Database::readHeader() {
    constexpr size_t kHeader = 0x208 + 128;
    if (m_fileSize < kHeader)
        throw FormatError("the file is too short for a database (" + std::to_string(m_fileSize) + " bytes)");
    const std::string bytes = readAt(0, kHeader, "the file header");
    const Bytes header(bytes);
    if (!HasSignature(bytes))
        throw FormatError("the file is not a Domino database (no database signature)");
    constexpr size_t info = 6;
    m_info.ods = header.u32(info);
    m_rrvBucketSize = header.u16(info + 70);
    char replica[24];
    std::snprintf(replica, sizeof replica, "%08X%08X", header.u32(184), header.u32(180));
    m_info.replicaId = replica;
    // The information buffer: the title, then a line break and the other information.
    const std::string_view buffer = header.sub(200, 128);
    const std::string_view text = buffer.substr(0, buffer.find('\0'));
    m_info.title = Lmbcs(text.substr(0, text.find('\n')));
    constexpr size_t info2 = 0x208;
    for (size_t i = 0; i < 4; ++i)
        m_superblocks.emplace_back(uint64_t{header.u32(info2 + 40 + 8 * i)} * 256, header.u32(info2 + 44 + 8 * i));
    for (size_t i = 0; i < 2; ++i)
        m_descriptorBlocks.emplace_back(uint64_t{header.u32(info2 + 108 + 8 * i)} * 256,
                                        header.u32(info2 + 104 + 8 * i));
    if (std::find(std::begin(kKnownOds), std::end(kKnownOds), m_info.ods) == std::end(kKnownOds))
        m_problems.push_back("on-disk structure " + std::to_string(m_info.ods) +
                             " is one this reader has not been checked on: what it reads may be incomplete");
}

// The copies of a block the header lists: a header with a signature and a write count, then a
// body, stored or compressed. The readable copy with the highest write count wins.
struct BlockShape {
    const char* name;
    size_t header;
    uint16_t signature;
    size_t writeCount, storedSize, compression, size; // where these stand in the header
};
constexpr BlockShape kSuperblock{"the superblock", 104, 0x000E, 60, 100, 68, 10};
constexpr BlockShape kDescriptorBlock{"the bucket descriptor block", 70, 0x0001, 10, 66, 4, 6};

void Database::readNewestCopy(
    const std::vector<std::pair<uint64_t, uint32_t>>& copies, const BlockShape& shape,
    const std::function<void(const Bytes& head, const Bytes& body, const std::string& what)>& take) {
    std::string failures;
    std::optional<uint32_t> best;
    for (const auto& copy : copies) {
        const uint64_t position = copy.first;
        if (position == 0)
            continue;
        const std::string what = shape.name + Where(position);
        try {
            const std::string head = readAt(position, shape.header, shape.name);
            const Bytes h(head);
            if (h.u16(0) != shape.signature)
                throw FormatError(what + " has no signature");
            const uint32_t writeCount = h.u32(shape.writeCount);
            if (best && writeCount <= *best)
                continue;
            const std::string stored = readAt(position + shape.header, h.u32(shape.storedSize), shape.name);
            const std::string body = Expand(stored, h.u16(shape.compression), h.u32(shape.size), what);
            take(h, Bytes(body), what);
            best = writeCount;
        } catch (const FormatError& e) {
            failures += std::string(failures.empty() ? "" : "; ") + e.what();
        }
    }
    if (!best)
        throw FormatError(std::string("no ") + (shape.name + 4) + " can be read" +
                          (failures.empty() ? "" : ": " + failures));
}

void Database::readSuperblock() {
    readNewestCopy(m_superblocks, kSuperblock, [this](const Bytes& h, const Bytes& b, const std::string&) {
        // Pages of summary bucket descriptors (14 bytes each), of non-summary ones (6 bytes
        // each), the bitmap descriptors, then the current data RRV bucket.
        std::vector<uint64_t> summary;
        size_t page = 0;
        for (uint32_t left = h.u32(14), pages = h.u32(70); pages > 0 && left > 0; --pages, page += 8206)
            for (uint32_t i = 0, n = std::min<uint32_t>(left, (8206 - 224) / 14); i < n; ++i, --left)
                summary.push_back(uint64_t{b.u32(page + 224 + 14 * i)} * 256);
        page += static_cast<size_t>(h.u32(74)) * 8198;
        page += static_cast<size_t>(h.u32(22)) * 20;
        std::string current;
        if (b.has(page, m_rrvBucketSize) && m_rrvBucketSize >= 40 && b.u16(page) == 0x2006)
            current = std::string(b.sub(page, m_rrvBucketSize));
        m_summaryBuckets = std::move(summary);
        m_currentRrvBucket = std::move(current);
    });
}

void Database::readDescriptorBlock() {
    readNewestCopy(m_descriptorBlocks, kDescriptorBlock,
                   [this](const Bytes& h, const Bytes& b, const std::string& what) {
                       const uint32_t names = h.u32(26), textSize = h.u32(34), rrvCount = h.u32(38);
                       if (!b.has(0, uint64_t{rrvCount} * 8 + uint64_t{names} * 10))
                           throw FormatError(what + " lists more buckets and names than it holds");
                       std::vector<RrvBucket> rrv;
                       for (uint32_t i = 0; i < rrvCount; ++i) {
                           const uint32_t p = b.u32(8 * i);
                           rrv.push_back({uint64_t{p & ~1u} * 256, b.u32(8 * i + 4), (p & 1u) != 0});
                       }
                       const size_t table = size_t{rrvCount} * 8;
                       const size_t textAt = table + size_t{names} * 10 + 4;
                       const Bytes text(b.sub(textAt, textSize));
                       std::vector<Name> nameTable;
                       nameTable.reserve(names);
                       for (uint32_t i = 0; i < names; ++i) {
                           const size_t e = table + 10 * size_t{i};
                           nameTable.push_back({Lmbcs(text.sub(b.u32(e), b.u16(e + 4))), b.u16(e + 6)});
                       }
                       m_rrvBuckets = std::move(rrv);
                       m_names = std::move(nameTable);
                   });
}

void Database::readRrvTable() {
    if (m_rrvBucketSize <= 32 || m_rrvBucketSize % 8 != 0)
        throw FormatError("the RRV bucket size in the header (" + std::to_string(m_rrvBucketSize) + ") is not one");
    for (const auto& rrv : m_rrvBuckets) {
        std::string bytes;
        try {
            const bool current =
                !rrv.nonData && !m_currentRrvBucket.empty() && Bytes(m_currentRrvBucket).u32(6) == rrv.firstId;
            bytes = current ? m_currentRrvBucket : readAt(rrv.position, m_rrvBucketSize, "an RRV bucket");
            if (Bytes(bytes).u16(0) != 0x2006)
                throw FormatError("the RRV bucket" + Where(rrv.position) + " has no signature");
        } catch (const FormatError& e) {
            m_problems.push_back(std::string(e.what()) + ": the notes from id " + Hex(rrv.firstId) +
                                 " that it lists are not read");
            continue;
        }
        // Every note takes room in the file: an RRV table that lists more than it can hold is
        // damaged, and is not given the memory it asks for.
        if (m_notes.size() > m_fileSize / 32) {
            m_problems.push_back("the RRV table lists more notes than the file can hold: the notes from id " +
                                 Hex(rrv.firstId) + " on are not read");
            break;
        }
        const Bytes b(bytes);
        const uint32_t first = b.u32(6);
        for (size_t i = 0, n = (bytes.size() - 32) / 8; i < n; ++i) {
            const uint32_t position = b.u32(32 + 8 * i), slot = b.u32(36 + 8 * i);
            if (KindOf(position, slot) != EntryKind::Unused)
                m_notes.push_back({static_cast<uint32_t>(first + 4 * i), position, slot});
        }
    }
    std::stable_sort(m_notes.begin(), m_notes.end(),
                     [](const NoteRef& a, const NoteRef& b) { return a.noteId < b.noteId; });
    m_notes.erase(std::unique(m_notes.begin(), m_notes.end(),
                              [](const NoteRef& a, const NoteRef& b) { return a.noteId == b.noteId; }),
                  m_notes.end());
}

} // namespace nsf
