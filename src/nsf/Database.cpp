#include "nsf/Database.h"

#include "nsf/Cx.h"
#include "nsf/Lmbcs.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

namespace nsf {

namespace {

// No structure of a database is larger; a size beyond it is damage, not data.
constexpr uint64_t kMaxStructure = 256u << 20;
constexpr size_t kCachedBuckets = 64;
// On-disk structures this reader was checked on.
constexpr uint32_t kKnownOds[] = {43, 52, 55};

constexpr uint64_t kSectorSize = 512;
constexpr size_t kNoteHeader = 100;
constexpr size_t kStubSize = 64;
constexpr size_t kNonSummaryHeader = 68;
constexpr uint16_t kNoteInline = 0x2000; // note status: the non-summary values follow in the record

std::string Where(uint64_t position) {
    return " at " + Hex(position);
}

// An RRV entry: free, deleted, a slot of a summary bucket, or a file position.
enum class EntryKind { Unused, Slot, FilePosition };

EntryKind KindOf(uint32_t position, uint32_t slot) {
    if ((position == 0 && slot == 0) || position == 0xFFFFFFFF || position == 0x7FFFFFFF)
        return EntryKind::Unused;
    return (position & 0x80000000u) ? EntryKind::Slot : EntryKind::FilePosition;
}

bool AsciiEqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// The body of a superblock or descriptor block: stored, or CX compressed.
std::string Expand(std::string_view stored, uint16_t compression, uint32_t size, const std::string& what) {
    if (compression == 0)
        return std::string(stored.substr(0, std::min<size_t>(stored.size(), size)));
    if (compression != 1)
        throw FormatError(what + " is compressed in a way this reader does not know (method " +
                          std::to_string(compression) + ")");
    // A CX stream expands at most about 2^25 times; a claim far beyond the file is damage.
    if (size > kMaxStructure)
        throw FormatError(what + " claims " + std::to_string(size) + " bytes");
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

const Item* Note::find(std::u16string_view name) const {
    for (const auto& item : items)
        if (AsciiEqualNoCase(item.name, name))
            return &item;
    return nullptr;
}

struct Database::Bucket {
    std::string bytes;                                    // stamps undone
    std::vector<std::pair<uint16_t, uint16_t>> slotTable; // offset, length
};

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

void Database::readSuperblock() {
    std::string failures;
    uint32_t best = 0;
    bool found = false;
    for (const auto& [position, size] : m_superblocks) {
        if (position == 0)
            continue;
        const std::string what = "the superblock" + Where(position);
        try {
            const std::string head = readAt(position, 104, "a superblock");
            const Bytes h(head);
            if (h.u16(0) != 0x000E)
                throw FormatError(what + " has no superblock signature");
            const uint32_t writeCount = h.u32(60);
            if (found && writeCount <= best)
                continue;
            const std::string stored = readAt(position + 104, h.u32(100), "a superblock");
            const std::string body = Expand(stored, h.u16(68), h.u32(10), what);
            const Bytes b(body);
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
            best = writeCount;
            found = true;
        } catch (const FormatError& e) {
            failures += std::string(failures.empty() ? "" : "; ") + e.what();
        }
    }
    if (!found)
        throw FormatError("no superblock can be read" + (failures.empty() ? "" : ": " + failures));
}

void Database::readDescriptorBlock() {
    std::string failures;
    uint32_t best = 0;
    bool found = false;
    for (const auto& [position, size] : m_descriptorBlocks) {
        if (position == 0)
            continue;
        const std::string what = "the bucket descriptor block" + Where(position);
        try {
            const std::string head = readAt(position, 70, "a bucket descriptor block");
            const Bytes h(head);
            if (h.u16(0) != 0x0001)
                throw FormatError(what + " has no signature");
            const uint32_t writeCount = h.u32(10);
            if (found && writeCount <= best)
                continue;
            const std::string stored = readAt(position + 70, h.u32(66), "a bucket descriptor block");
            const std::string body = Expand(stored, h.u16(4), h.u32(6), what);
            const Bytes b(body);
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
            best = writeCount;
            found = true;
        } catch (const FormatError& e) {
            failures += std::string(failures.empty() ? "" : "; ") + e.what();
        }
    }
    if (!found)
        throw FormatError("no bucket descriptor block can be read" + (failures.empty() ? "" : ": " + failures));
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

const Database::Bucket& Database::bucketAt(uint64_t position) {
    if (const auto found = m_buckets.find(position); found != m_buckets.end())
        return *found->second;
    const std::string head = readAt(position, 54, "a summary bucket");
    const Bytes h(head);
    if (h.u16(0) != 0x4202)
        throw FormatError("no summary bucket" + Where(position));
    auto bucket = std::make_unique<Bucket>();
    bucket->bytes = readAt(position, h.u32(6), "a summary bucket");
    std::string& raw = bucket->bytes;
    const uint32_t slotCount = h.u32(44), trailer = h.u32(50);
    // Each 512-byte sector has the low four bits of its byte at the header size (0x42) replaced
    // by a stamp; the real bits are in the trailer, read as one little-endian number whose most
    // significant four bits belong to sector 0.
    const uint64_t sectors = raw.size() / kSectorSize;
    const uint8_t at = static_cast<uint8_t>(raw[1]);
    if (sectors > 0 && uint64_t{trailer} * 2 == sectors) {
        const std::string_view bits = std::string_view(raw).substr(raw.size() - trailer);
        for (uint64_t k = 0; k < sectors; ++k) {
            const uint64_t i = sectors - 1 - k;
            const uint8_t nibble = (static_cast<uint8_t>(bits[i >> 1]) >> (4 * (i & 1))) & 0x0F;
            char& byte = raw[k * kSectorSize + at];
            byte = static_cast<char>((static_cast<uint8_t>(byte) & 0xF0) | nibble);
        }
    }
    if (uint64_t{trailer} + uint64_t{slotCount} * 4 > raw.size())
        throw FormatError("the summary bucket" + Where(position) + " has more slots than room");
    const Bytes b(raw);
    const size_t end = raw.size() - trailer;
    for (size_t i = 1; i <= slotCount; ++i)
        bucket->slotTable.emplace_back(b.u16(end - 4 * i), b.u16(end - 4 * i + 2));
    if (m_buckets.size() >= kCachedBuckets) {
        m_buckets.erase(m_bucketOrder.front());
        m_bucketOrder.pop_front();
    }
    m_bucketOrder.push_back(position);
    return *m_buckets.emplace(position, std::move(bucket)).first->second;
}

std::string Database::slotBytes(const std::vector<uint64_t>& buckets, uint32_t bucket, uint32_t slot) {
    if (bucket < 1 || bucket > buckets.size())
        throw FormatError("bucket " + std::to_string(bucket) + " is not in the list of " +
                          std::to_string(buckets.size()));
    const Bucket& b = bucketAt(buckets[bucket - 1]);
    if (slot < 1 || slot > b.slotTable.size())
        throw FormatError("slot " + std::to_string(slot) + " of bucket " + std::to_string(bucket) + " is not there");
    const auto [offset, length] = b.slotTable[slot - 1];
    if (length == 0)
        throw FormatError("slot " + std::to_string(slot) + " of bucket " + std::to_string(bucket) + " is empty");
    return std::string(Bytes(b.bytes).sub(offset, length));
}

std::optional<Note> Database::readNote(const NoteRef& ref) {
    std::string data;
    if (KindOf(ref.position, ref.slot) == EntryKind::Slot) {
        data = slotBytes(m_summaryBuckets, ref.position & 0xFFFFFF, ref.slot & 0x7FF);
    } else {
        const uint64_t position = uint64_t{ref.position} * 256;
        const std::string head = readAt(position, 6, "a note");
        const uint16_t signature = Bytes(head).u16(0);
        if (signature == 0x0007 || signature == 0x001B)
            return std::nullopt; // an object of the object store
        if (signature != 0x0004)
            throw FormatError("no note" + Where(position));
        data = readAt(position, Bytes(head).u32(2), "a note");
    }
    const Bytes record(data);
    if (record.u16(0) != 0x0004)
        throw FormatError("the note record has no signature");
    const uint32_t size = record.u32(2);
    if (size <= kStubSize)
        return std::nullopt; // a deletion stub
    if (size < kNoteHeader || size > data.size())
        throw FormatError("the note record's size (" + std::to_string(size) + ") does not fit its " +
                          std::to_string(data.size()) + " bytes");
    Note note;
    note.noteId = record.u32(6);
    if (note.noteId != ref.noteId)
        throw FormatError("the record there is the one of note " + Hex(note.noteId));
    note.unid = UnidText(record, 10);
    note.status = record.u16(38);
    note.noteClass = record.u16(40);
    note.modified = {record.u32(42), record.u32(46)};
    note.created = {record.u32(72), record.u32(76)};
    const size_t count = record.u16(50);
    if (kNoteHeader + 8 * count > size)
        throw FormatError("the note's " + std::to_string(count) + " items do not fit its record");
    note.items.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = kNoteHeader + 8 * i;
        Item& item = note.items[i];
        const uint16_t name = record.u16(e);
        item.flags = record.u16(e + 2);
        item.value.resize(record.u16(e + 4)); // the size, until the value is placed
        if (name < m_names.size()) {
            item.name = m_names[name].name;
            item.type = m_names[name].type;
        } else {
            const std::string number = "#" + std::to_string(name);
            item.name.assign(number.begin(), number.end());
            item.unreadable = "its name (number " + std::to_string(name) + ") is not in the name table";
        }
    }
    placeValues(note, record, record.u32(56), record.u32(60));
    return note;
}

// Summary values follow the item table in item order; the others are in the non-summary block,
// after its 68-byte header, or, when the note's status says so, later in the record itself, at
// the offset the header gives for the block.
void Database::placeValues(Note& note, Bytes record, uint32_t nonSummaryId, uint32_t nonSummarySize) {
    size_t summaryAt = kNoteHeader + 8 * note.items.size();
    uint64_t nonSummaryNeeded = 0;
    for (const auto& item : note.items)
        if (!(item.flags & item_flag::kSummary))
            nonSummaryNeeded += item.value.size();
    std::string block;
    std::string blockProblem;
    size_t blockAt = 0;
    if (nonSummaryNeeded > 0) {
        try {
            if (note.status & kNoteInline) {
                block = std::string(record.sub(nonSummaryId, nonSummarySize));
            } else if (nonSummaryId & 0x80000000u) {
                throw FormatError("they are in a non-summary bucket, which this reader does not read yet");
            } else {
                const uint64_t position = uint64_t{nonSummaryId} * 256;
                const std::string head = readAt(position, 6, "a non-summary block");
                if (Bytes(head).u16(0) != 0x0010)
                    throw FormatError("no non-summary block" + Where(position));
                block = readAt(position, Bytes(head).u32(2), "a non-summary block");
                if (block.size() < kNonSummaryHeader)
                    throw FormatError("the non-summary block" + Where(position) + " is too short");
                blockAt = kNonSummaryHeader;
            }
            // The values fill the block exactly, or leave 68 bytes over.
            const uint64_t room = block.size() - blockAt;
            if (room != nonSummaryNeeded && room != nonSummaryNeeded + kNonSummaryHeader)
                throw FormatError("they take " + std::to_string(nonSummaryNeeded) + " bytes where the note keeps " +
                                  std::to_string(room));
        } catch (const FormatError& e) {
            blockProblem = std::string("non-summary value not read: ") + e.what();
        }
    }
    const Bytes nonSummary(block);
    // Sealed items are encrypted only in a note that carries the keys; a signature is sealed too.
    const bool encrypted = note.find(u"$Seal") || note.find(u"$SealData");
    for (auto& item : note.items) {
        const size_t length = item.value.size();
        const bool summary = (item.flags & item_flag::kSummary) != 0;
        std::string_view bytes;
        if (summary) {
            if (!record.has(summaryAt, length)) {
                item.unreadable = "its value lies beyond the note record";
                item.value.clear();
                summaryAt = SIZE_MAX / 2;
                continue;
            }
            bytes = record.sub(summaryAt, length);
            summaryAt += length;
        } else {
            if (!blockProblem.empty()) {
                if (item.unreadable.empty())
                    item.unreadable = blockProblem;
                item.value.clear();
                continue;
            }
            bytes = nonSummary.sub(blockAt, length);
            blockAt += length;
        }
        if (!item.unreadable.empty()) {
            item.value.clear();
            continue;
        }
        if ((item.flags & item_flag::kNoTypeWord) || bytes.size() < 2) {
            item.value.assign(bytes);
        } else {
            item.type = Bytes(bytes).u16(0);
            item.value.assign(bytes.substr(2));
        }
        if (encrypted && (item.flags & item_flag::kSealed)) {
            item.unreadable = "it is encrypted";
            item.value.clear();
        }
    }
}

} // namespace nsf
