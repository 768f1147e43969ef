// The reader's second half: summary buckets and their slots, note records, and where each of a
// note's values lies.
#include "nsf/Database.h"
#include "nsf/Layout.h"

#include "interfaces/Text.h"

#include <QFile>

#include <cstdint>

namespace nsf {

namespace {

using namespace layout;

constexpr size_t kCachedBuckets = 64;
constexpr uint32_t kMaxBucket = 1u << 20;
constexpr uint64_t kSectorSize = 512;
constexpr size_t kNoteHeader = 100;
constexpr size_t kStubSize = 64;
constexpr size_t kNonSummaryHeader = 68;
constexpr uint16_t kNoteInline = 0x2000; // note status: the non-summary values follow in the record

} // namespace

const Item* Note::find(std::u16string_view name) const {
    for (const auto& item : items)
        if (AsciiUpper(item.name) == AsciiUpper(name))
            return &item;
    return nullptr;
}

const Database::Bucket& Database::bucketAt(uint64_t position) {
    if (const auto found = m_buckets.find(position); found != m_buckets.end())
        return *found->second;
    const std::string head = readAt(position, 54, "a summary bucket");
    const Bytes h(head);
    if (h.u16(0) != 0x4202)
        throw FormatError("no summary bucket" + Where(position));
    // Summary buckets are some kilobytes (at most 63,488 bytes in the files seen).
    if (h.u32(6) < 512 || h.u32(6) > kMaxBucket)
        throw FormatError("the summary bucket" + Where(position) + " claims " + std::to_string(h.u32(6)) + " bytes");
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
