#include "nsf/Database.h"

#include "interfaces/FileSystem.h"
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
        throw FormatError(reason_text::Nested(PathText(file), m_file->errorString().toStdString()));
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
        m_notices.push_back(reason_text::UncheckedOds(m_info.ods));
}

// The copies of a block the header lists: each a header with a signature and a write count,
// then the body in pieces and a trailer. The sound copy with the highest write count wins; a
// place that holds no copy holds one byte throughout.
struct BlockShape {
    std::string (*name)();
    uint16_t signature;
    size_t headerSize;
    BlockHeader (*readHeader)(Bytes header);
    void (*checkHeader)(Bytes header); // or nullptr
    std::string (*noneRead)();         // the reason when no copy can be read
};
constexpr BlockShape kSuperblock{
    reason_text::SuperblockName,  superblock::kSignature, superblock::kHeaderSize, ReadSuperblockHeader, nullptr,
    reason_text::NoSuperblockRead};
constexpr BlockShape kDescriptorBlock{reason_text::DescriptorBlockName,
                                      descriptor_block::kSignature,
                                      descriptor_block::kHeaderSize,
                                      ReadDescriptorHeader,
                                      CheckDescriptorHeader,
                                      reason_text::NoDescriptorBlockRead};

void Database::readNewestCopy(
    const std::vector<BlockCopy>& copies, const BlockShape& shape,
    const std::function<void(const Bytes& head, const Bytes& body, const std::string& what, bool strict)>& take) {
    struct Copy {
        uint64_t position;
        std::string head;
        BlockHeader header;
        bool read = false;  // body and damage are known
        std::string body;   // its pieces expanded
        std::string damage; // why it is no sound block, or empty
    };
    std::vector<Copy> written;
    std::string failures;
    const auto fail = [&](const std::string& what, const std::string& reason) {
        const std::string line = reason_text::Nested(what, reason);
        failures = failures.empty() ? line : reason_text::Also(failures, line);
    };
    for (const BlockCopy& copy : copies) {
        if (copy.position == 0)
            continue;
        try {
            std::string head = readAt(copy.position, shape.headerSize, shape.name);
            const BlockHeader header = shape.readHeader(Bytes(head));
            // A copy never written holds one byte throughout (zeros, or 0xAA).
            if (head.find_first_not_of(head.front()) != std::string::npos)
                written.push_back({copy.position, std::move(head), header, false, {}, {}});
        } catch (const FormatError& e) {
            fail(shape.name() + Where(copy.position), e.what());
        }
    }
    // Each copy's own checks, made once: its signature, header, sizes, pieces and trailer.
    const auto sound = [&](Copy& copy) {
        if (!copy.read) {
            copy.read = true;
            try {
                if (copy.header.signature != shape.signature)
                    throw FormatError(reason_text::NoSignature());
                if (shape.checkHeader)
                    shape.checkHeader(Bytes(copy.head));
                if (copy.header.storedSize < shape.headerSize)
                    throw FormatError(reason_text::BlockStoredSize(copy.header.storedSize));
                const std::string block = readAt(copy.position, copy.header.storedSize, shape.name);
                copy.body = ReadBlockBody(Bytes(block), shape.headerSize, copy.header);
            } catch (const FormatError& e) {
                copy.damage = e.what();
            }
        }
        return copy.damage.empty();
    };
    // A damaged write count cannot be told, but a damaged copy is then refused for its body.
    std::stable_sort(written.begin(), written.end(),
                     [](const Copy& a, const Copy& b) { return a.header.writeCount > b.header.writeCount; });
    // First a copy that passes every check, its buckets in the file and its header fitting its body
    // among them; real files can list buckets that exist nowhere, so without one, the newest copy
    // whose pieces and checksums are sound.
    const std::string headerFailures = failures;
    for (const bool strict : {true, false}) {
        failures = headerFailures;
        for (Copy& copy : written) {
            const std::string what = shape.name() + Where(copy.position);
            if (!sound(copy)) {
                fail(what, copy.damage);
                continue;
            }
            try {
                take(Bytes(copy.head), Bytes(copy.body), what, strict);
            } catch (const FormatError& e) {
                fail(what, e.what());
                continue;
            }
            // What a newer copy held may be missing from this one: that is told.
            if (!failures.empty())
                m_problems.push_back(reason_text::OlderCopyRead(failures, what, copy.header.writeCount));
            return;
        }
    }
    throw FormatError(failures.empty() ? shape.noneRead() : reason_text::Nested(shape.noneRead(), failures));
}

// Raises FormatError when a bucket of positions lies outside the file, if strict. In a file cut
// short they may: the notes in them are then told one by one.
void Database::checkInsideFile(const std::vector<uint64_t>& positions, bool strict) const {
    if (!strict || m_info.statedSize > m_info.size)
        return;
    for (const uint64_t position : positions)
        if (position >= m_fileSize)
            throw FormatError(reason_text::BucketOutsideFile(Hex(position)));
}

void Database::readSuperblock() {
    readNewestCopy(m_superblocks, kSuperblock, [this](const Bytes& h, const Bytes& b, const std::string&, bool strict) {
        // Where another copy fits, one whose header's counts do not fit its body is not taken.
        if (strict && !SuperblockFitsBody(h, b.size(), static_cast<uint16_t>(m_rrvBucketSize)))
            throw FormatError(reason_text::HeaderDoesNotFitBody());
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
        // Where the header says the body carries the current data RRV bucket, it must be there.
        if (strict && m_info.ods >= 52 && h.u32(superblock::kRrvBucketSize) != 0 && body.currentRrvBucket.empty())
            throw FormatError(reason_text::NoCurrentRrvBucket());
        checkInsideFile(body.summaryBuckets, strict);
        checkInsideFile(body.nonSummaryBuckets, strict);
        m_summaryBuckets = std::move(body.summaryBuckets);
        m_nonSummaryBuckets = std::move(body.nonSummaryBuckets);
        m_currentRrvBucket = std::move(body.currentRrvBucket);
    });
}

void Database::readDescriptorBlock() {
    readNewestCopy(m_descriptorBlocks, kDescriptorBlock,
                   [this](const Bytes& h, const Bytes& b, const std::string& what, bool strict) {
                       DescriptorBody body = ReadDescriptorBody(h, b, what);
                       std::vector<uint64_t> positions;
                       for (const RrvBucketRef& rrv : body.rrvBuckets)
                           positions.push_back(rrv.position);
                       checkInsideFile(positions, strict);
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
            m_notesMissing = true;
            continue;
        }
        // Every note takes room in the file: an RRV table that lists more than it can hold is
        // damaged, and is not given the memory it asks for.
        if (m_notes.size() > m_fileSize / 32) {
            m_problems.push_back(reason_text::RrvTooManyNotes(Hex(rrv.firstId)));
            m_notesMissing = true;
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
