#include "nsf/Database.h"

#include "nsf/Cx.h"
#include "nsf/Lmbcs.h"
#include "nsf/ReasonText.h"
#include "nsf/Structures.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace nsf {

namespace {

using namespace disk;
// On-disk structures this reader was checked on.
constexpr uint32_t kKnownOds[] = {43, 52, 55};

// The body of a superblock or descriptor block: stored, or CX compressed.
std::string Expand(std::string_view stored, uint16_t compression, uint32_t size, const std::string& what) {
    if (compression == compression::kStored)
        return std::string(stored.substr(0, std::min<size_t>(stored.size(), size)));
    if (compression != compression::kCx)
        throw FormatError(reason_text::BlockUnknownCompression(what, compression));
    // Real bodies expand some ten times (their RRV bucket, mostly one byte repeated, more); a
    // claim far beyond that is damage, and is not given the memory it asks for.
    if (size > kMaxStructure || size > uint64_t{stored.size()} * 1024 + (1u << 20))
        throw FormatError(reason_text::BlockClaims(what, size, stored.size()));
    try {
        return CxDecompress(stored, size);
    } catch (const FormatError& e) {
        throw FormatError(reason_text::Nested(what, e.what()));
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
    return HasFileSignature(firstBytes);
}

Database::Database(const std::filesystem::path& file) : m_file(std::make_unique<QFile>()) {
    m_file->setFileName(QString::fromStdU16String(file.u16string()));
    if (!m_file->open(QIODevice::ReadOnly))
        throw FormatError(reason_text::Nested(file.string(), m_file->errorString().toStdString()));
    m_fileSize = static_cast<uint64_t>(m_file->size());
    readHeader();
    readSuperblock();
    readDescriptorBlock();
    readRrvTable();
}

Database::~Database() = default;

std::string Database::readAt(uint64_t position, uint64_t size, std::string (*what)()) {
    if (size > kMaxStructure || position > m_fileSize || size > m_fileSize - position)
        throw FormatError(reason_text::ReadBeyondEnd(what(), Hex(position), size, m_fileSize));
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!m_file->seek(static_cast<qint64>(position)) ||
        m_file->read(bytes.data(), static_cast<qint64>(size)) != static_cast<qint64>(size))
        throw FormatError(reason_text::CannotRead(what(), Hex(position), m_file->errorString().toStdString()));
    return bytes;
}

void Database::readHeader() {
    if (m_fileSize < file_header::kSize)
        throw FormatError(reason_text::FileTooShort(m_fileSize));
    const std::string bytes = readAt(0, file_header::kSize, reason_text::FileHeaderName);
    const FileHeader header = ReadFileHeader(Bytes(bytes));
    m_info.ods = header.ods;
    m_info.size = m_fileSize;
    m_info.statedSize = header.fileSize;
    m_rrvBucketSize = header.rrvBucketSize;
    m_info.replicaId = header.replicaId;
    // The information buffer: the title, then a line break and the other information.
    m_info.title = Lmbcs(header.information.substr(0, header.information.find('\n')));
    m_superblocks = header.superblocks;
    m_descriptorBlocks = header.descriptorBlocks;
    if (std::find(std::begin(kKnownOds), std::end(kKnownOds), m_info.ods) == std::end(kKnownOds))
        m_problems.push_back(reason_text::UncheckedOds(m_info.ods));
}

// The copies of a block the header lists: a header with a signature and a write count, then a
// body, stored or compressed. The readable copy with the highest write count wins.
struct BlockShape {
    std::string (*name)();
    size_t headerSize;
    BlockHeader (*readHeader)(Bytes header);
    std::string (*noneRead)(); // the reason when no copy can be read
};
constexpr BlockShape kSuperblock{reason_text::SuperblockName, superblock::kHeaderSize, ReadSuperblockHeader,
                                 reason_text::NoSuperblockRead};
constexpr BlockShape kDescriptorBlock{reason_text::DescriptorBlockName, descriptor_block::kHeaderSize,
                                      ReadDescriptorHeader, reason_text::NoDescriptorBlockRead};

void Database::readNewestCopy(
    const std::vector<BlockCopy>& copies, const BlockShape& shape,
    const std::function<void(const Bytes& head, const Bytes& body, const std::string& what)>& take) {
    std::string failures;
    std::optional<uint32_t> best;
    for (const BlockCopy& copy : copies) {
        if (copy.position == 0)
            continue;
        const std::string what = shape.name() + Where(copy.position);
        try {
            const std::string head = readAt(copy.position, shape.headerSize, shape.name);
            const Bytes h(head);
            BlockHeader block;
            try {
                block = shape.readHeader(h);
            } catch (const FormatError& e) {
                throw FormatError(reason_text::Nested(what, e.what()));
            }
            if (best && block.writeCount <= *best)
                continue;
            const std::string stored = readAt(copy.position + shape.headerSize, block.storedSize, shape.name);
            const std::string body = Expand(stored, block.compression, block.size, what);
            take(h, Bytes(body), what);
            best = block.writeCount;
        } catch (const FormatError& e) {
            failures = failures.empty() ? std::string(e.what()) : reason_text::Also(failures, e.what());
        }
    }
    if (!best)
        throw FormatError(failures.empty() ? shape.noneRead() : reason_text::Nested(shape.noneRead(), failures));
}

void Database::readSuperblock() {
    readNewestCopy(m_superblocks, kSuperblock, [this](const Bytes& h, const Bytes& b, const std::string&) {
        SuperblockBody body =
            ReadSuperblockBody(h, b, static_cast<uint16_t>(m_rrvBucketSize), [this](uint64_t position) {
                using namespace superblock;
                const std::string head = readAt(position, 2, reason_text::SummaryPageName);
                if (Bytes(head).u16(0) != kPageBlockSignature)
                    throw FormatError(reason_text::NoSummaryPage(Hex(position)));
                // The page as far as the file holds it.
                const uint64_t at = position + kPageBlockHeader;
                return readAt(at, std::min<uint64_t>(kSummaryPageSize, m_fileSize - std::min(m_fileSize, at)),
                              reason_text::SummaryPageName);
            });
        m_summaryBuckets = std::move(body.summaryBuckets);
        m_nonSummaryBuckets = std::move(body.nonSummaryBuckets);
        m_currentRrvBucket = std::move(body.currentRrvBucket);
    });
}

void Database::readDescriptorBlock() {
    readNewestCopy(m_descriptorBlocks, kDescriptorBlock,
                   [this](const Bytes& h, const Bytes& b, const std::string& what) {
                       DescriptorBody body = ReadDescriptorBody(h, b, what);
                       std::vector<Name> names;
                       names.reserve(body.names.size());
                       for (const NameEntry& entry : body.names)
                           names.push_back({Lmbcs(entry.lmbcs), entry.type});
                       m_rrvBuckets = std::move(body.rrvBuckets);
                       m_names = std::move(names);
                   });
}

void Database::readRrvTable() {
    if (m_rrvBucketSize <= 32 || m_rrvBucketSize % 8 != 0)
        throw FormatError(reason_text::RrvBucketSizeInvalid(m_rrvBucketSize));
    for (const auto& rrv : m_rrvBuckets) {
        std::vector<RrvEntry> entries;
        try {
            const bool current = !rrv.nonData && !m_currentRrvBucket.empty() &&
                                 Bytes(m_currentRrvBucket).u32(rrv_bucket::kFirstId) == rrv.firstId;
            const std::string bytes =
                current ? m_currentRrvBucket : readAt(rrv.position, m_rrvBucketSize, reason_text::RrvBucketName);
            try {
                entries = ReadRrvBucket(Bytes(bytes));
            } catch (const FormatError& e) {
                throw FormatError(reason_text::RrvBucketNotRead(Where(rrv.position), e.what()));
            }
        } catch (const FormatError& e) {
            m_problems.push_back(reason_text::RrvNotesNotRead(e.what(), Hex(rrv.firstId)));
            continue;
        }
        // Every note takes room in the file: an RRV table that lists more than it can hold is
        // damaged, and is not given the memory it asks for.
        if (m_notes.size() > m_fileSize / 32) {
            m_problems.push_back(reason_text::RrvTooManyNotes(Hex(rrv.firstId)));
            break;
        }
        for (const RrvEntry& entry : entries)
            m_notes.push_back({entry.noteId, entry.position, entry.slot});
    }
    std::stable_sort(m_notes.begin(), m_notes.end(),
                     [](const NoteRef& a, const NoteRef& b) { return a.noteId < b.noteId; });
    m_notes.erase(std::unique(m_notes.begin(), m_notes.end(),
                              [](const NoteRef& a, const NoteRef& b) { return a.noteId == b.noteId; }),
                  m_notes.end());
}

} // namespace nsf
