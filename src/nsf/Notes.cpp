// The reader's second half: summary buckets and their slots, note records, and where each of a
// note's values lies.
#include "nsf/Cx.h"
#include "nsf/Database.h"
#include "nsf/ReasonText.h"
#include "nsf/Structures.h"

#include "interfaces/ComObject.h"
#include "interfaces/Text.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace nsf {

namespace {

using namespace disk;

constexpr size_t kCachedBuckets = 64;

// A compressed value expanded: exactly the size it states, or FormatError.
std::string ExpandValue(std::string_view stored) {
    constexpr size_t kSizeWord = 4;
    if (stored.size() <= kSizeWord)
        throw FormatError(reason_text::CompressedValueTooShort(stored.size()));
    const uint32_t size = Bytes(stored).u32(0);
    try {
        // A claim far beyond what the stream can give is damage, and gets no memory.
        if (size > uint64_t{stored.size()} * 1024)
            throw FormatError(reason_text::BlockClaims(size, stored.size()));
        return CxDecompress(stored.substr(kSizeWord), size);
    } catch (const FormatError& e) {
        throw FormatError(reason_text::CompressedValueNotExpanded(e.what()));
    }
}

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
    const std::string head = readAt(position, summary_bucket::kHeadSize, reason_text::SummaryBucketName);
    const Bytes h(head);
    if (h.u16(0) != summary_bucket::kSignature)
        throw FormatError(reason_text::NoSummaryBucket(Hex(position)));
    // Summary buckets are some kilobytes (at most 63,488 bytes in the files seen).
    const uint32_t size = h.u32(summary_bucket::kSize);
    if (size < summary_bucket::kMinSize || size > summary_bucket::kMaxSize)
        throw FormatError(reason_text::SummaryBucketClaims(Where(position), size));
    auto bucket = std::make_unique<Bucket>();
    bucket->bytes = readAt(position, size, reason_text::SummaryBucketName);
    try {
        bucket->layout = UnstampSummaryBucket(bucket->bytes);
    } catch (const FormatError& e) {
        throw FormatError(reason_text::SummaryBucketNotRead(Where(position), e.what()));
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
        throw FormatError(reason_text::BucketNotListed(bucket, buckets.size()));
    const Bucket& b = bucketAt(buckets[bucket - 1]);
    if (slot < 1 || slot > b.layout.slotTable.size())
        throw FormatError(reason_text::SlotMissing(slot, bucket));
    const auto [offset, length] = b.layout.slotTable[slot - 1];
    if (length == 0)
        throw FormatError(reason_text::SlotEmpty(slot, bucket));
    // A damaged sector under the slot, its entry in the slot table or the trailer that holds the
    // sectors' true bits: nothing of the slot can be trusted.
    using summary_bucket::kSectorSize;
    const size_t entry =
        b.bytes.size() - Bytes(b.bytes).u32(summary_bucket::kTrailerSize) - summary_bucket::kSlotEntry * slot;
    const size_t lastSector = b.bytes.size() / kSectorSize - 1;
    for (const uint32_t sector : b.layout.damagedSectors)
        if ((sector >= offset / kSectorSize && sector <= (size_t{offset} + length - 1) / kSectorSize) ||
            sector == entry / kSectorSize || sector == lastSector)
            throw FormatError(reason_text::SectorStampDiffers(sector, Where(buckets[bucket - 1])));
    return std::string(Bytes(b.bytes).sub(offset, length));
}

std::optional<Note> Database::readNote(const NoteRef& ref) {
    std::string data;
    using namespace note_record;
    if (KindOf(ref.position, ref.slot) == EntryKind::Slot) {
        data = slotBytes(m_summaryBuckets, ref.position & rrv_bucket::kBucketMask, ref.slot & rrv_bucket::kSlotMask);
    } else {
        const uint64_t position = uint64_t{ref.position} * 256;
        const std::string head = readAt(position, kSize + 4, reason_text::NoteName);
        const uint16_t signature = Bytes(head).u16(0);
        if (std::find(std::begin(kObjectSignatures), std::end(kObjectSignatures), signature) !=
            std::end(kObjectSignatures))
            return std::nullopt; // an object of the object store
        if (signature != kSignature)
            throw FormatError(reason_text::NoNote(Hex(position)));
        data = readAt(position, Bytes(head).u32(kSize), reason_text::NoteName);
    }
    const Bytes record(data);
    if (record.u16(0) != kSignature)
        throw FormatError(reason_text::NoteRecordNoSignature());
    const uint32_t size = record.u32(kSize);
    if (size <= kStubSize) {
        ++m_deletionStubs;
        return std::nullopt;
    }
    if (size < kHeaderSize || size > data.size())
        throw FormatError(reason_text::NoteRecordSize(size, data.size()));
    Note note;
    note.noteId = ref.noteId;
    // A record of another number that no other entry claims is this note's, its number damaged;
    // one that another entry claims is that note's, and this entry points at it by mistake.
    if (const uint32_t recorded = record.u32(kNoteId); recorded != ref.noteId) {
        if (listed(recorded))
            throw FormatError(reason_text::RecordOfOtherNote(Hex(recorded)));
        note.warnings.push_back(reason_text::RenumberedRecord(Hex(recorded)));
    }
    note.unid = UnidText(record, kUnid);
    note.status = record.u16(kStatus);
    note.noteClass = record.u16(kClass);
    note.modified = {record.u32(kModified), record.u32(kModified + 4)};
    note.created = {record.u32(kCreated), record.u32(kCreated + 4)};
    const size_t count = record.u16(kItemCount);
    if (kHeaderSize + kItemEntry * count > size)
        throw FormatError(reason_text::ItemsDoNotFit(count));
    note.items.resize(count);
    std::vector<size_t> sizes(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = kHeaderSize + kItemEntry * i;
        Item& item = note.items[i];
        const uint16_t name = record.u16(e + kItemName);
        item.flags = record.u16(e + kItemFlags);
        sizes[i] = record.u16(e + kItemSize); // no memory is given to a size before it is checked
        if (name < m_names.size()) {
            item.name = m_names[name].name;
            item.type = m_names[name].type;
        } else {
            const std::string number = std::string("#") + std::to_string(name);
            item.name.assign(number.begin(), number.end());
            item.unreadable = reason_text::NameNotInTable(name);
        }
    }
    placeValues(note, sizes, Bytes(record.sub(0, size)), record.u32(kNonSummaryId), record.u32(kNonSummarySize));
    return note;
}

bool Database::listed(uint32_t noteId) const {
    const auto found = std::lower_bound(m_notes.begin(), m_notes.end(), noteId,
                                        [](const NoteRef& ref, uint32_t id) { return ref.noteId < id; });
    return found != m_notes.end() && found->noteId == noteId;
}

// The note's block of non-summary values and where its values start in it: inline in the record,
// in a slot of a non-summary bucket, or at a file position. Raises FormatError.
std::pair<std::string, size_t> Database::nonSummaryBlock(const Note& note, Bytes record, uint32_t id, uint32_t size) {
    using namespace note_record;
    if (note.status & kInlineNonSummary)
        return {std::string(record.sub(id, size)), 0};
    std::string block;
    std::string where;
    if (id & kNonSummaryInBucket) {
        const uint32_t bucket = id & kNonSummaryBucketMask, slot = (id >> kNonSummarySlotShift) & kNonSummarySlotMask;
        where = reason_text::InNonSummarySlot(slot, bucket);
        try {
            block = slotBytes(m_nonSummaryBuckets, bucket, slot);
        } catch (const FormatError& e) {
            throw FormatError(reason_text::NonSummary(e.what()));
        }
    } else {
        const uint64_t position = uint64_t{id} * 256;
        where = Where(position);
        const std::string head = readAt(position, nonsummary_block::kSize + 4, reason_text::NonSummaryBlockName);
        if (Bytes(head).u16(0) != nonsummary_block::kSignature)
            throw FormatError(reason_text::NoNonSummaryBlock(where));
        block = readAt(position, Bytes(head).u32(nonsummary_block::kSize), reason_text::NonSummaryBlockName);
    }
    const Bytes b(block);
    if (b.u16(0) != nonsummary_block::kSignature)
        throw FormatError(reason_text::NoNonSummaryBlock(where));
    // The block's own size counts (the note's may carry more bits); it holds at least its header.
    const uint32_t own = b.u32(nonsummary_block::kSize);
    if (own < nonsummary_block::kHeaderSize || own > block.size())
        throw FormatError(reason_text::NonSummaryBlockClaims(where, own));
    block.resize(own);
    return {std::move(block), nonsummary_block::kHeaderSize};
}

// Summary values follow the item table in item order; the others are in the note's non-summary
// block, in item order too. Which side an item is on its summary flag says. Where the sizes do not
// add up that way (a flag damaged), the one reading that moves one or two items to the other side
// and makes every size add up is taken and told; without one, the note is damaged and none of its
// values is placed by guesswork.
void Database::placeValues(Note& note, const std::vector<size_t>& sizes, Bytes record, uint32_t nonSummaryId,
                           uint32_t nonSummarySize) {
    using namespace note_record;
    const size_t count = note.items.size();
    const size_t base = kHeaderSize + kItemEntry * count;
    std::vector<bool> inSummary(count);
    for (size_t i = 0; i < count; ++i)
        inSummary[i] = (note.items[i].flags & item_flag::kSummary) != 0;
    // A note without a size for its non-summary values has none: every value is in the record.
    std::string block;
    size_t blockAt = 0;
    std::string blockProblem;
    if (nonSummarySize > 0) {
        try {
            std::tie(block, blockAt) = nonSummaryBlock(note, record, nonSummaryId, nonSummarySize);
        } catch (const FormatError& e) {
            blockProblem = reason_text::NonSummaryNotRead(e.what());
        }
    }
    const uint64_t room = block.size() - blockAt;
    // Sizes on each side for a reading; the values fill the block exactly, or leave its header's
    // size over (seen on view notes), and the summary values lie within the record.
    uint64_t summarySize = 0;
    for (size_t i = 0; i < count; ++i)
        if (inSummary[i])
            summarySize += sizes[i];
    const auto fits = [&](uint64_t summary, uint64_t nonSummary) {
        if (base + summary > record.size())
            return false;
        if (!blockProblem.empty())
            return true; // the other side cannot be checked
        return room == nonSummary || room == nonSummary + nonsummary_block::kHeaderSize;
    };
    uint64_t total = 0;
    for (const size_t size : sizes)
        total += size;
    if (!fits(summarySize, total - summarySize)) {
        // The readings that move one item, then those that move two; one of them, alone, counts.
        const auto moved = [&](size_t i) {
            const auto size = static_cast<int64_t>(sizes[i]);
            return inSummary[i] ? -size : size;
        };
        std::vector<std::vector<size_t>> readings;
        for (size_t i = 0; i < count; ++i)
            if (fits(summarySize + moved(i), total - summarySize - moved(i)))
                readings.push_back({i});
        // Pairs only where no single item fits, every pair (two readings are enough to refuse), and
        // only for a note of a sane number of items: a damaged count is no reason to try millions.
        constexpr size_t kMaxPairItems = 2048;
        if (readings.empty() && count <= kMaxPairItems)
            for (size_t i = 0; i < count && readings.size() < 2; ++i)
                for (size_t j = i + 1; j < count && readings.size() < 2; ++j) {
                    const int64_t change = moved(i) + moved(j);
                    if (fits(summarySize + change, total - summarySize - change))
                        readings.push_back({i, j});
                }
        if (readings.size() != 1)
            throw FormatError(readings.empty() ? reason_text::ItemSizesDoNotAddUp()
                                               : reason_text::ItemSizesAmbiguous());
        std::string names;
        for (size_t i : readings.front()) {
            inSummary[i] = !inSummary[i];
            const std::string name = Utf16ToUtf8(note.items[i].name);
            names += (names.empty() ? "" : ", ") + name;
        }
        note.warnings.push_back(reason_text::SummaryFlagRepaired(names));
    }

    const Bytes nonSummary(block);
    size_t summaryAt = base;
    // Sealed items are encrypted only in a note that carries the keys; a signature is sealed too.
    const bool encrypted = note.find(u"$Seal") || note.find(u"$SealData");
    for (size_t i = 0; i < count; ++i) {
        Item& item = note.items[i];
        const size_t length = sizes[i];
        std::string_view bytes;
        if (inSummary[i]) {
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
        std::string expanded;
        if ((item.flags & item_flag::kCompressed) && !(encrypted && (item.flags & item_flag::kSealed))) {
            try {
                expanded = ExpandValue(bytes);
            } catch (const FormatError& e) {
                item.unreadable = e.what();
                item.value.clear();
                continue;
            }
            bytes = expanded;
        }
        if ((item.flags & item_flag::kNoTypeWord) || bytes.size() < 2) {
            item.value.assign(bytes);
        } else {
            item.type = Bytes(bytes).u16(0);
            item.value.assign(bytes.substr(2));
        }
        if (encrypted && (item.flags & item_flag::kSealed)) {
            item.unreadable = reason_text::Encrypted();
            item.value.clear();
        }
    }
}

} // namespace nsf
