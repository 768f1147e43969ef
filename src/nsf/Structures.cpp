#include "nsf/Structures.h"

#include "nsf/Cx.h"
#include "nsf/ReasonText.h"

#include <algorithm>
#include <cstdio>

namespace nsf::disk {

bool HasFileSignature(std::string_view bytes) {
    if (bytes.size() < file_header::kOds + 4 || Bytes(bytes).u16(0) != file_header::kSignature)
        return false;
    const uint32_t ods = Bytes(bytes).u32(file_header::kOds);
    return ods >= 17 && ods < 100;
}

FileHeader ReadFileHeader(Bytes bytes) {
    using namespace file_header;
    if (!HasFileSignature(bytes.data()))
        throw FormatError(reason_text::NotADatabase());
    FileHeader header;
    header.ods = bytes.u32(kOds);
    header.rrvBucketSize = bytes.u16(kRrvBucketSize);
    header.fileSize = uint64_t{bytes.u32(kFileSize)} * 256;
    char replica[24];
    std::snprintf(replica, sizeof replica, "%08X%08X", bytes.u32(kReplicaHigh), bytes.u32(kReplicaLow));
    header.replicaId = replica;
    const std::string_view information = bytes.sub(kInformation, kInformationSize);
    header.information = information.substr(0, information.find('\0'));
    for (size_t i = 0; i < kSuperblockCount; ++i)
        header.superblocks.push_back(
            {uint64_t{bytes.u32(kSuperblocks + 8 * i)} * 256, bytes.u32(kSuperblocks + 8 * i + 4)});
    for (size_t i = 0; i < kDescriptorBlockCount; ++i)
        header.descriptorBlocks.push_back(
            {uint64_t{bytes.u32(kDescriptorBlocks + 8 * i + 4)} * 256, bytes.u32(kDescriptorBlocks + 8 * i)});
    return header;
}

uint32_t XorWords(std::string_view bytes) {
    uint32_t sum = 0;
    const Bytes b(bytes);
    const size_t whole = bytes.size() / 4 * 4;
    for (size_t at = 0; at < whole; at += 4)
        sum ^= b.u32(at);
    for (size_t at = whole; at < bytes.size(); ++at)
        sum ^= uint32_t{b.u8(at)} << (8 * (at - whole));
    return sum;
}

std::string ReadBlockBody(Bytes block, size_t headerSize, const BlockHeader& header) {
    using namespace block_frame;
    if (header.storedSize < headerSize + kTrailerSize || header.storedSize > block.size())
        throw FormatError(reason_text::BlockStoredSize(header.storedSize));
    if (header.compression != compression::kStored && header.compression != compression::kCx)
        throw FormatError(reason_text::BlockUnknownCompression(header.compression));
    const size_t trailer = header.storedSize - kTrailerSize;
    // Real bodies expand some ten times (their RRV bucket, mostly one byte repeated, more); a
    // claim far beyond that is damage, and is not given the memory it asks for.
    if (header.size > kMaxStructure || header.size > uint64_t{trailer - headerSize} * 1024 + (1u << 20))
        throw FormatError(reason_text::BlockClaims(header.size, trailer - headerSize));
    std::string body;
    body.reserve(header.size);
    uint32_t sum = 0;
    size_t at = headerSize;
    for (uint64_t piece = 1; body.size() < header.size; ++piece) {
        if (at + kPieceCount > trailer)
            throw FormatError(reason_text::PiecesExpandTo(body.size(), header.size));
        const uint32_t count = block.u32(at);
        if (count == 0 || count > trailer - at - kPieceCount)
            throw FormatError(reason_text::PieceDoesNotFit(piece, count));
        const std::string_view stream = block.sub(at + kPieceCount, count);
        const size_t left = header.size - body.size();
        if (header.compression == compression::kCx) {
            try {
                body += CxExpand(stream, left);
            } catch (const FormatError& e) {
                throw FormatError(reason_text::Nested(reason_text::PieceName(piece), e.what()));
            }
        } else {
            if (count > left)
                throw FormatError(reason_text::PiecesExpandTo(body.size() + count, header.size));
            body += stream;
        }
        sum ^= XorWords(block.sub(at, kPieceCount + count));
        at += kPieceCount + count;
    }
    if (at != trailer)
        throw FormatError(reason_text::PiecesEndBeforeTrailer(at, trailer));
    if (block.u64(trailer) != header.modified)
        throw FormatError(reason_text::TrailerTimeDiffers());
    if (const uint32_t stated = block.u32(trailer + kTrailerChecksum); stated != sum)
        throw FormatError(reason_text::TrailerChecksum(Hex(stated), Hex(sum)));
    return body;
}

BlockHeader ReadSuperblockHeader(Bytes header) {
    using namespace superblock;
    return {header.u16(0),     header.u32(kWriteCount), header.u32(kStoredSize), header.u16(kCompression),
            header.u32(kSize), header.u64(kModified)};
}

SuperblockBody ReadSuperblockBody(Bytes header, Bytes body, uint16_t rrvBucketSize,
                                  const std::function<std::string(uint64_t position)>& readPage) {
    using namespace superblock;
    constexpr uint32_t kPerPage = (kSummaryPageSize - kSummaryPageHeader) / kSummaryDescriptor;
    SuperblockBody out;
    size_t page = 0;
    // Every page is passed over, also those past the last descriptor: what follows them is found so.
    // (A damaged page count is not walked page by page: past the descriptors the rest is one step.)
    for (uint32_t left = header.u32(kSummaryBuckets), pages = header.u32(kSummaryPages); pages > 0;
         --pages, page += kSummaryPageSize) {
        const uint32_t count = std::min(left, kPerPage);
        left -= count;
        if (count == 0) {
            page += static_cast<size_t>(pages) * kSummaryPageSize;
            break;
        }
        std::string kept;
        Bytes descriptors(body.sub(page, kSummaryPageSize));
        if (const uint32_t position = descriptors.u32(kSummaryPagePosition); position != 0) {
            try {
                kept = readPage(uint64_t{position} * 256);
            } catch (const FormatError&) {
                kept.clear(); // its buckets are not known: each stands at 0
            }
            descriptors = Bytes(kept);
        }
        for (uint32_t i = 0; i < count; ++i) {
            const size_t at = kSummaryPageHeader + kSummaryDescriptor * i;
            out.summaryBuckets.push_back(descriptors.has(at, 4) ? uint64_t{descriptors.u32(at)} * 256 : 0);
        }
    }
    for (uint32_t left = header.u32(kNonSummaryBuckets), pages = header.u32(kNonSummaryPages); pages > 0;
         --pages, page += kNonSummaryPageSize) {
        if (left == 0) {
            page += static_cast<size_t>(pages) * kNonSummaryPageSize;
            break;
        }
        for (uint32_t i = 0, n = std::min<uint32_t>(left, (kNonSummaryPageSize - kNonSummaryPageHeader) /
                                                              kNonSummaryDescriptor);
             i < n; ++i, --left)
            out.nonSummaryBuckets.push_back(
                uint64_t{body.u32(page + kNonSummaryPageHeader + kNonSummaryDescriptor * i)} * 256);
    }
    page += static_cast<size_t>(header.u32(kBitmaps)) * kBitmapDescriptor;
    if (body.has(page, rrvBucketSize) && rrvBucketSize >= 40 && body.u16(page) == rrv_bucket::kSignature)
        out.currentRrvBucket = std::string(body.sub(page, rrvBucketSize));
    return out;
}

bool SuperblockFitsBody(Bytes header, size_t bodySize, uint16_t rrvBucketSize) {
    using namespace superblock;
    constexpr uint32_t kPerPage = (kSummaryPageSize - kSummaryPageHeader) / kSummaryDescriptor;
    constexpr uint32_t kPerNonSummaryPage = (kNonSummaryPageSize - kNonSummaryPageHeader) / kNonSummaryDescriptor;
    const uint64_t summaryPages = header.u32(kSummaryPages), nonSummaryPages = header.u32(kNonSummaryPages);
    const uint32_t ownRrvSize = header.u32(kRrvBucketSize);
    return (ownRrvSize == 0 || ownRrvSize == rrvBucketSize) && header.u32(kSummaryBuckets) <= summaryPages * kPerPage &&
           header.u32(kNonSummaryBuckets) <= nonSummaryPages * kPerNonSummaryPage &&
           summaryPages * kSummaryPageSize + nonSummaryPages * kNonSummaryPageSize +
                   uint64_t{header.u32(kBitmaps)} * kBitmapDescriptor + ownRrvSize <=
               bodySize;
}

BlockHeader ReadDescriptorHeader(Bytes header) {
    using namespace descriptor_block;
    return {header.u16(0),     header.u32(kWriteCount), header.u32(kStoredSize), header.u16(kCompression),
            header.u32(kSize), header.u64(kModified)};
}

void CheckDescriptorHeader(Bytes header) {
    using namespace descriptor_block;
    if (XorWords(header.sub(0, kChecksummed)) != header.u32(kHeaderChecksum))
        throw FormatError(reason_text::HeaderChecksum());
}

DescriptorBody ReadDescriptorBody(Bytes header, Bytes body, const std::string& what) {
    using namespace descriptor_block;
    const uint32_t names = header.u32(kNames), textSize = header.u32(kTextSize), rrvCount = header.u32(kRrvBuckets);
    if (!body.has(0, uint64_t{rrvCount} * kRrvDescriptor + uint64_t{names} * kNameEntry))
        throw FormatError(reason_text::ListsMoreThanHeld(what));
    DescriptorBody out;
    for (uint32_t i = 0; i < rrvCount; ++i) {
        const uint32_t p = body.u32(kRrvDescriptor * i);
        out.rrvBuckets.push_back(
            {uint64_t{p & ~kNotData} * 256, body.u32(kRrvDescriptor * i + 4), (p & kNotData) != 0});
    }
    const size_t table = size_t{rrvCount} * kRrvDescriptor;
    const Bytes text(body.sub(table + size_t{names} * kNameEntry + kTextGap, textSize));
    out.names.reserve(names);
    for (uint32_t i = 0; i < names; ++i) {
        const size_t e = table + kNameEntry * size_t{i};
        out.names.push_back({text.sub(body.u32(e), body.u16(e + 4)), body.u16(e + 6)});
    }
    return out;
}

EntryKind KindOf(uint32_t position, uint32_t slot) {
    if ((position == 0 && slot == 0) || position == 0xFFFFFFFF || position == 0x7FFFFFFF)
        return EntryKind::Unused;
    return (position & rrv_bucket::kInBucket) ? EntryKind::Slot : EntryKind::FilePosition;
}

std::vector<RrvEntry> ReadRrvBucket(Bytes bucket) {
    using namespace rrv_bucket;
    if (bucket.u16(0) != kSignature)
        throw FormatError(reason_text::NoSignature());
    std::vector<RrvEntry> entries;
    const uint32_t first = bucket.u32(kFirstId);
    for (size_t i = 0, n = (bucket.size() - kEntries) / kEntrySize; i < n; ++i) {
        const uint32_t position = bucket.u32(kEntries + kEntrySize * i),
                       slot = bucket.u32(kEntries + kEntrySize * i + 4);
        if (KindOf(position, slot) != EntryKind::Unused)
            entries.push_back({static_cast<uint32_t>(first + kIdStep * i), position, slot});
    }
    return entries;
}

BucketLayout UnstampSummaryBucket(std::string& raw) {
    using namespace summary_bucket;
    const Bytes head(raw);
    const uint32_t slotCount = head.u32(kSlotCount), trailer = head.u32(kTrailerSize);
    const uint64_t sectors = raw.size() / kSectorSize;
    const uint8_t at = static_cast<uint8_t>(raw[1]); // the header size, 0x42
    const uint64_t nibbles = uint64_t{trailer} * 2;
    BucketLayout layout;
    if (sectors > 0 && at < kSectorSize && nibbles >= sectors && nibbles <= sectors + 7 && trailer <= raw.size()) {
        // The bucket's stamp is the one most of its sectors carry.
        uint32_t counts[16] = {};
        for (uint64_t k = 0; k < sectors; ++k)
            ++counts[static_cast<uint8_t>(raw[k * kSectorSize + at]) & 0x0F];
        const auto stamp = static_cast<uint8_t>(std::max_element(std::begin(counts), std::end(counts)) - counts);
        const std::string_view bits = std::string_view(raw).substr(raw.size() - trailer);
        for (uint64_t k = 0; k < sectors; ++k) {
            const uint64_t i = nibbles - 1 - k;
            const uint8_t nibble = (static_cast<uint8_t>(bits[i >> 1]) >> (4 * (i & 1))) & 0x0F;
            char& byte = raw[k * kSectorSize + at];
            if ((static_cast<uint8_t>(byte) & 0x0F) != stamp)
                layout.damagedSectors.push_back(static_cast<uint32_t>(k));
            byte = static_cast<char>((static_cast<uint8_t>(byte) & 0xF0) | nibble);
        }
    }
    if (uint64_t{trailer} + uint64_t{slotCount} * kSlotEntry > raw.size())
        throw FormatError(reason_text::MoreSlotsThanRoom());
    const Bytes b(raw);
    const size_t end = raw.size() - trailer;
    layout.slotTable.reserve(slotCount);
    for (size_t i = 1; i <= slotCount; ++i)
        layout.slotTable.emplace_back(b.u16(end - kSlotEntry * i), b.u16(end - kSlotEntry * i + 2));
    return layout;
}

} // namespace nsf::disk
