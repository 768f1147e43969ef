// The reader's second half: summary buckets and their slots, note records, and where each of a
// note's values lies.
#include "nsf/Database.h"
#include "nsf/Structures.h"

#include "interfaces/Text.h"

#include <QFile>

#include <algorithm>
#include <cstdint>

namespace nsf {

namespace {

using namespace disk;

constexpr size_t kCachedBuckets = 64;

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
    const std::string head = readAt(position, summary_bucket::kHeadSize, "a summary bucket");
    const Bytes h(head);
    if (h.u16(0) != summary_bucket::kSignature)
        throw FormatError("no summary bucket" + Where(position));
    // Summary buckets are some kilobytes (at most 63,488 bytes in the files seen).
    const uint32_t size = h.u32(summary_bucket::kSize);
    if (size < summary_bucket::kMinSize || size > summary_bucket::kMaxSize)
        throw FormatError("the summary bucket" + Where(position) + " claims " + std::to_string(size) + " bytes");
    auto bucket = std::make_unique<Bucket>();
    bucket->bytes = readAt(position, size, "a summary bucket");
    try {
        bucket->slotTable = UnstampSummaryBucket(bucket->bytes);
    } catch (const FormatError& e) {
        throw FormatError("the summary bucket" + Where(position) + ": " + e.what());
    }
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
    using namespace note_record;
    if (KindOf(ref.position, ref.slot) == EntryKind::Slot) {
        data = slotBytes(m_summaryBuckets, ref.position & rrv_bucket::kBucketMask, ref.slot & rrv_bucket::kSlotMask);
    } else {
        const uint64_t position = uint64_t{ref.position} * 256;
        const std::string head = readAt(position, kSize + 4, "a note");
        const uint16_t signature = Bytes(head).u16(0);
        if (std::find(std::begin(kObjectSignatures), std::end(kObjectSignatures), signature) !=
            std::end(kObjectSignatures))
            return std::nullopt; // an object of the object store
        if (signature != kSignature)
            throw FormatError("no note" + Where(position));
        data = readAt(position, Bytes(head).u32(kSize), "a note");
    }
    const Bytes record(data);
    if (record.u16(0) != kSignature)
        throw FormatError("the note record has no signature");
    const uint32_t size = record.u32(kSize);
    if (size <= kStubSize)
        return std::nullopt; // a deletion stub
    if (size < kHeaderSize || size > data.size())
        throw FormatError("the note record's size (" + std::to_string(size) + ") does not fit its " +
                          std::to_string(data.size()) + " bytes");
    Note note;
    note.noteId = record.u32(kNoteId);
    if (note.noteId != ref.noteId)
        throw FormatError("the record there is the one of note " + Hex(note.noteId));
    note.unid = UnidText(record, kUnid);
    note.status = record.u16(kStatus);
    note.noteClass = record.u16(kClass);
    note.modified = {record.u32(kModified), record.u32(kModified + 4)};
    note.created = {record.u32(kCreated), record.u32(kCreated + 4)};
    const size_t count = record.u16(kItemCount);
    if (kHeaderSize + kItemEntry * count > size)
        throw FormatError("the note's " + std::to_string(count) + " items do not fit its record");
    note.items.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = kHeaderSize + kItemEntry * i;
        Item& item = note.items[i];
        const uint16_t name = record.u16(e + kItemName);
        item.flags = record.u16(e + kItemFlags);
        item.value.resize(record.u16(e + kItemSize)); // the size, until the value is placed
        if (name < m_names.size()) {
            item.name = m_names[name].name;
            item.type = m_names[name].type;
        } else {
            const std::string number = "#" + std::to_string(name);
            item.name.assign(number.begin(), number.end());
            item.unreadable = "its name (number " + std::to_string(name) + ") is not in the name table";
        }
    }
    placeValues(note, record, record.u32(kNonSummaryId), record.u32(kNonSummarySize));
    return note;
}

// Summary values follow the item table in item order; the others are in the non-summary block,
// after its 68-byte header, or, when the note's status says so, later in the record itself, at
// the offset the header gives for the block.
void Database::placeValues(Note& note, Bytes record, uint32_t nonSummaryId, uint32_t nonSummarySize) {
    using namespace note_record;
    constexpr size_t kBlockHeader = nonsummary_block::kHeaderSize;
    size_t summaryAt = kHeaderSize + kItemEntry * note.items.size();
    uint64_t nonSummaryNeeded = 0;
    for (const auto& item : note.items)
        if (!(item.flags & item_flag::kSummary))
            nonSummaryNeeded += item.value.size();
    std::string block;
    std::string blockProblem;
    size_t blockAt = 0;
    if (nonSummaryNeeded > 0) {
        try {
            if (note.status & kInlineNonSummary) {
                block = std::string(record.sub(nonSummaryId, nonSummarySize));
            } else if (nonSummaryId & kNonSummaryInBucket) {
                throw FormatError("they are in a non-summary bucket, which this reader does not read yet");
            } else {
                const uint64_t position = uint64_t{nonSummaryId} * 256;
                const std::string head = readAt(position, nonsummary_block::kSize + 4, "a non-summary block");
                if (Bytes(head).u16(0) != nonsummary_block::kSignature)
                    throw FormatError("no non-summary block" + Where(position));
                block = readAt(position, Bytes(head).u32(nonsummary_block::kSize), "a non-summary block");
                if (block.size() < kBlockHeader)
                    throw FormatError("the non-summary block" + Where(position) + " is too short");
                blockAt = kBlockHeader;
            }
            // The values fill the block exactly, or leave 68 bytes over.
            const uint64_t room = block.size() - blockAt;
            if (room != nonSummaryNeeded && room != nonSummaryNeeded + kBlockHeader)
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
