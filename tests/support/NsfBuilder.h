// A small Domino database file built from its layout (the reader's own structure descriptions),
// for tests and fuzz seeds that must not depend on real files: the header, the superblock (one
// copy, or two of which the newer counts) and the bucket descriptor block, stored or CX
// compressed, the data RRV bucket inside the superblock, one summary bucket holding the notes,
// its sectors stamped as Domino stamps them, and, as asked, notes at file positions of their own.
#pragma once

#include "nsf/Structures.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nsftest {

struct BuiltItem {
    std::string name;
    uint16_t type;  // data type
    uint16_t flags; // item flags; 0x0004 summary is added unless nonSummary
    std::string value;
    bool nonSummary = false;      // kept with the note's non-summary values
    bool summaryFlagLost = false; // damage: kept with the summary values, its flag without 0x0004
    int claimedSize = -1;         // damage: the size its entry states, when not the value's
};

// An object of the object store (an attachment's bytes as stored), with its id; ODS 52 records
// carry the SHA-1 tag when tag is set.
struct BuiltObject {
    uint32_t id;
    std::string stored;
    std::string tag; // 48 characters, or empty
};

struct BuiltNote {
    uint16_t noteClass = 0x0001;
    std::string unid; // 16 bytes
    std::vector<BuiltItem> items;
    bool atFilePosition = false; // the RRV entry names a file position, not a slot
    uint32_t recordNoteId = 0;   // damage: the number its record carries, when not its own
    // Where the non-summary values go: a block of their own at a file position, or the record.
    enum class NonSummary { Block, Inline } nonSummary = NonSummary::Block;
};

// CX compression as the reader expects it: a 3-bit mode (4), then literal bytes, runs of one
// byte as copies from one byte back, and the end marker.
inline std::string CxCompress(const std::string& bytes) {
    std::string out;
    size_t bit = 0;
    const auto put = [&](uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i, ++bit) {
            if (bit / 8 >= out.size())
                out.push_back('\0');
            if ((value >> i) & 1u)
                out[bit / 8] = static_cast<char>(out[bit / 8] | (1 << (bit % 8)));
        }
    };
    put(4, 3);
    for (size_t at = 0; at < bytes.size();) {
        size_t run = 0;
        while (at > 0 && at + run < bytes.size() && bytes[at + run] == bytes[at - 1] && run < 255)
            ++run;
        if (run >= 3) {
            // 1 0, length n zeros, a one, n+1 bits v (length 2^(n+1) + 1 + v); distance 1 (m = 0).
            unsigned n = 0;
            while ((size_t{1} << (n + 2)) + 1 <= run)
                ++n;
            const size_t length = std::min(run, (size_t{1} << (n + 2)));
            put(1, 1);
            put(0, 1);
            put(0, n);
            put(1, 1);
            put(static_cast<uint32_t>(length - (size_t{1} << (n + 1)) - 1), n + 1);
            put(1, 1);
            put(1, 8);
            at += length;
        } else {
            put(0, 1);
            put(static_cast<uint8_t>(bytes[at]), 8);
            ++at;
        }
    }
    // The end marker: 1 0, a length code of seven zero bits, a one, and the value 1 in 8 bits.
    put(1, 1);
    put(0, 1);
    put(0, 7);
    put(1, 1);
    put(1, 8);
    return out;
}

// An item value stored compressed: its expanded size, then the stream.
inline std::string CompressedValue(const std::string& bytes) {
    std::string size(4, '\0');
    for (size_t i = 0; i < 4; ++i)
        size[i] = static_cast<char>(bytes.size() >> (8 * i));
    return size + CxCompress(bytes);
}

class NsfBuilder {
public:
    static constexpr uint32_t kFirstId = 0x8F6;

    std::string title = "Built";
    std::vector<BuiltNote> notes;
    std::vector<BuiltObject> objects; // their ids: objectId(k)
    // Blocks of 8 KB at file positions of their own (pages of a view index): block k at rawAt(k).
    std::vector<std::string> rawBlocks;
    static constexpr uint64_t rawAt(size_t k) { return 0x40000 + 0x2000 * uint64_t{k}; }
    bool compressed = false;      // superblock and descriptor block bodies CX compressed
    size_t pieces = 1;            // the pieces each of their bodies is kept in
    uint32_t bucketSize = 8192;   // the summary bucket's: 8,192 to 63,488 bytes
    bool twoSuperblocks = false;  // an older copy first, listing no notes; the newer one counts
    bool olderListsNotes = false; // the older copy lists the notes too
    bool pageOutOfLine = false;   // the summary bucket descriptors in a page block of their own
    static constexpr size_t kPageAt = 0xA400;
    uint16_t ods = 52;

    // The id of the k-th object: the one RRV bucket lists at most 16 notes, then the objects.
    static constexpr size_t kFirstObjectEntry = 16;
    static uint32_t objectId(size_t k) {
        return kFirstId + nsf::disk::rrv_bucket::kIdStep * static_cast<uint32_t>(kFirstObjectEntry + k);
    }

    std::string build() const {
        using namespace nsf::disk;
        constexpr size_t kSuperblockAt = 0x400, kSecondSuperblockAt = 0x8000, kDescriptorAt = 0x3000, kNotesAt = 0xE000,
                         kRrvSize = 288;
        // A bucket larger than the room before the notes goes after them, before the raw blocks.
        const size_t kBucketSize = bucketSize, kBucketAt = bucketSize <= 0x4000 ? 0x4000 : 0x20000;
        // Names: one per item name, in order of first use, with the type of that first use.
        std::vector<std::pair<std::string, uint16_t>> names;
        const auto nameIndex = [&](const BuiltItem& item) {
            for (size_t i = 0; i < names.size(); ++i)
                if (names[i].first == item.name)
                    return static_cast<uint16_t>(i);
            names.emplace_back(item.name, item.type);
            return static_cast<uint16_t>(names.size() - 1);
        };
        // The summary bucket: the note records from kRecords on, the slot table before the trailer.
        std::string bucket(kBucketSize, '\0');
        put16(bucket, 0, summary_bucket::kSignature);
        put32(bucket, summary_bucket::kSize, kBucketSize);
        // A nibble a sector, in a trailer of a power of two bytes (a 63,488-byte bucket has 124
        // sectors and 128 nibbles).
        uint32_t kTrailer = 1;
        while (kTrailer * 2 < kBucketSize / summary_bucket::kSectorSize)
            kTrailer *= 2;
        put32(bucket, summary_bucket::kTrailerSize, kTrailer);
        // The data RRV bucket: a slot of bucket 1, or a file position.
        std::string rrv(kRrvSize, '\xFF');
        put16(rrv, 0, rrv_bucket::kSignature);
        put32(rrv, rrv_bucket::kFirstId, kFirstId);
        std::string positioned; // the notes at file positions, from kNotesAt on
        size_t at = summary_bucket::kRecords;
        uint32_t slots = 0;
        for (size_t n = 0; n < notes.size(); ++n) {
            std::string record =
                noteRecord(notes[n], kFirstId + rrv_bucket::kIdStep * static_cast<uint32_t>(n), nameIndex);
            if (const std::string block = nonSummaryBlock(notes[n]); !block.empty()) {
                // The block at a file position of its own; the record names it.
                put32(record, note_record::kNonSummaryId, static_cast<uint32_t>((kNotesAt + positioned.size()) / 256));
                put32(record, note_record::kNonSummarySize, static_cast<uint32_t>(block.size()));
                positioned += block;
                positioned.resize((positioned.size() + 255) / 256 * 256, '\0');
            }
            const size_t entry = rrv_bucket::kEntries + rrv_bucket::kEntrySize * n;
            if (notes[n].atFilePosition) {
                put32(rrv, entry, static_cast<uint32_t>((kNotesAt + positioned.size()) / 256));
                put32(rrv, entry + 4, 0);
                positioned += record;
                positioned.resize((positioned.size() + 255) / 256 * 256, '\0');
                continue;
            }
            ++slots;
            const size_t slot = kBucketSize - kTrailer - summary_bucket::kSlotEntry * slots;
            put16(bucket, slot, static_cast<uint16_t>(at));
            put16(bucket, slot + 2, static_cast<uint16_t>(record.size()));
            bucket.replace(at, record.size(), record);
            put32(rrv, entry, rrv_bucket::kInBucket | 1u);
            put32(rrv, entry + 4, slots);
            at += (record.size() + 1) & ~size_t{1};
        }
        put32(bucket, summary_bucket::kSlotCount, slots);
        for (size_t k = 0; k < objects.size(); ++k) {
            const BuiltObject& object = objects[k];
            const size_t entry = rrv_bucket::kEntries + rrv_bucket::kEntrySize * (kFirstObjectEntry + k);
            put32(rrv, entry, static_cast<uint32_t>((kNotesAt + positioned.size()) / 256));
            put32(rrv, entry + 4, 0);
            positioned += objectRecord(object);
            positioned.resize((positioned.size() + 255) / 256 * 256, '\xBB');
        }
        // Each sector's byte at kStampedByte keeps its low four bits in the trailer (sector 0 the
        // most significant nibble) and carries the stamp 0x5 there instead.
        const size_t sectors = kBucketSize / summary_bucket::kSectorSize;
        for (size_t k = 0; k < sectors; ++k) {
            char& byte = bucket[k * summary_bucket::kSectorSize + summary_bucket::kStampedByte];
            const size_t nibble = 2 * kTrailer - 1 - k;
            char& kept = bucket[kBucketSize - kTrailer + nibble / 2];
            kept = static_cast<char>(kept | (static_cast<uint8_t>(byte) & 0x0F) << (4 * (nibble % 2)));
            byte = static_cast<char>((static_cast<uint8_t>(byte) & 0xF0) | 0x05);
        }

        std::string file(kNotesAt + positioned.size(), '\0');
        // The header: signature, on-disk structure, the RRV bucket size, the title, and where the
        // superblocks and the descriptor block lie.
        put16(file, 0, file_header::kSignature);
        put32(file, file_header::kOds, ods);
        put16(file, file_header::kRrvBucketSize, kRrvSize);
        file.replace(file_header::kInformation, title.size() + 1, title + '\n');
        // With two copies the older one, whose RRV bucket lists nothing yet, is listed first.
        const std::string newest = superblock(rrv, 2, kBucketAt);
        const size_t newestEntry = file_header::kSuperblocks + (twoSuperblocks ? 8 : 0);
        put32(file, newestEntry, kSuperblockAt / 256);
        put32(file, newestEntry + 4, static_cast<uint32_t>(newest.size()));
        file.replace(kSuperblockAt, newest.size(), newest);
        if (twoSuperblocks) {
            std::string empty(kRrvSize, '\xFF');
            put16(empty, 0, rrv_bucket::kSignature);
            put32(empty, rrv_bucket::kFirstId, kFirstId);
            const std::string older = superblock(olderListsNotes ? rrv : empty, 1, kBucketAt);
            put32(file, file_header::kSuperblocks, kSecondSuperblockAt / 256);
            put32(file, file_header::kSuperblocks + 4, static_cast<uint32_t>(older.size()));
            file.replace(kSecondSuperblockAt, older.size(), older);
        }
        const std::string descriptor = descriptorBlock(names);
        put32(file, file_header::kDescriptorBlocks, static_cast<uint32_t>(descriptor.size()));
        put32(file, file_header::kDescriptorBlocks + 4, kDescriptorAt / 256);
        file.replace(kDescriptorAt, descriptor.size(), descriptor);
        if (file.size() < kBucketAt + bucket.size())
            file.resize(kBucketAt + bucket.size(), '\0');
        file.replace(kBucketAt, bucket.size(), bucket);
        if (pageOutOfLine) {
            std::string page(superblock::kPageBlockHeader + superblock::kSummaryPageSize, '\0');
            put16(page, 0, superblock::kPageBlockSignature);
            put32(page, superblock::kPageBlockHeader + superblock::kSummaryPageHeader,
                  static_cast<uint32_t>(kBucketAt / 256));
            file.replace(kPageAt, page.size(), page);
        }
        file.replace(kNotesAt, positioned.size(), positioned);
        for (size_t k = 0; k < rawBlocks.size(); ++k) {
            if (file.size() < rawAt(k) + rawBlocks[k].size())
                file.resize(rawAt(k) + rawBlocks[k].size(), '\0');
            file.replace(rawAt(k), rawBlocks[k].size(), rawBlocks[k]);
        }
        file.resize((file.size() + 255) / 256 * 256, '\0');
        put32(file, file_header::kFileSize, static_cast<uint32_t>(file.size() / 256));
        return file;
    }

private:
    template <class NameIndex>
    static std::string noteRecord(const BuiltNote& note, uint32_t noteId, NameIndex& nameIndex) {
        using namespace nsf::disk::note_record;
        std::string record(kHeaderSize + kItemEntry * note.items.size(), '\0');
        put16(record, 0, kSignature);
        put32(record, kNoteId, note.recordNoteId != 0 ? note.recordNoteId : noteId);
        record.replace(kUnid, 16, note.unid.substr(0, 16));
        put16(record, kClass, note.noteClass);
        put32(record, kModified, 6120700); // 2020-10-05 17:00:07 UTC
        put32(record, kModified + 4, 2459128);
        put16(record, kItemCount, static_cast<uint16_t>(note.items.size()));
        put32(record, kCreated, 6120700);
        put32(record, kCreated + 4, 2459128);
        std::string nonSummary;
        for (size_t i = 0; i < note.items.size(); ++i) {
            const BuiltItem& item = note.items[i];
            const size_t e = kHeaderSize + kItemEntry * i;
            put16(record, e + kItemName, nameIndex(item));
            const bool summary = !item.nonSummary && !item.summaryFlagLost;
            put16(record, e + kItemFlags, static_cast<uint16_t>(item.flags | (summary ? 0x0004 : 0) | 0x0008));
            put16(record, e + kItemSize,
                  static_cast<uint16_t>(item.claimedSize >= 0 ? static_cast<size_t>(item.claimedSize)
                                                              : item.value.size()));
            (item.nonSummary ? nonSummary : record) += item.value;
        }
        if (!nonSummary.empty() && note.nonSummary == BuiltNote::NonSummary::Inline) {
            // After the summary values, the status saying so and the id giving their offset.
            put16(record, kStatus, kInlineNonSummary);
            put32(record, kNonSummaryId, static_cast<uint32_t>(record.size()));
            put32(record, kNonSummarySize, static_cast<uint32_t>(nonSummary.size()));
            record += nonSummary;
        }
        put32(record, kSize, static_cast<uint32_t>(record.size()));
        return record;
    }

    std::string objectRecord(const BuiltObject& object) const {
        using namespace nsf::disk::object_record;
        const bool newer = ods >= 52;
        std::string header(newer ? kHeaderSizeOds52 : kHeaderSize, '\0');
        put16(header, 0, newer ? kSignatureOds52 : kSignature);
        put32(header, kSize, static_cast<uint32_t>(header.size() + object.stored.size()));
        put16(header, kOwnerClass, 1);
        if (newer && !object.tag.empty()) {
            put16(header, kTagKind, 1);
            header.replace(kTag, kTagSize, object.tag);
        }
        return header + object.stored;
    }

    // The note's block of non-summary values, when they are not in its record.
    static std::string nonSummaryBlock(const BuiltNote& note) {
        using namespace nsf::disk::nonsummary_block;
        std::string values;
        for (const BuiltItem& item : note.items)
            if (item.nonSummary)
                values += item.value;
        if (values.empty() || note.nonSummary != BuiltNote::NonSummary::Block)
            return {};
        std::string block(kHeaderSize, '\0');
        put16(block, 0, kSignature);
        block += values;
        put32(block, kSize, static_cast<uint32_t>(block.size()));
        return block;
    }

    // A superblock listing the summary bucket, with the data RRV bucket in its body.
    std::string superblock(const std::string& rrv, uint32_t writeCount, size_t bucketAt) const {
        using namespace nsf::disk::superblock;
        std::string body(kSummaryPageSize, '\0');
        if (pageOutOfLine) {
            // The page is kept at kPageAt; the body's copy names it and holds stale bytes.
            put32(body, kSummaryPagePosition, kPageAt / 256);
            std::fill(body.begin() + kSummaryPageHeader, body.begin() + kSummaryPageHeader + 64, '\x24');
        } else {
            put32(body, kSummaryPageHeader, static_cast<uint32_t>(bucketAt / 256));
        }
        body += rrv;
        std::string header(kHeaderSize, '\0');
        put16(header, 0, kSignature);
        put32(header, kSize, static_cast<uint32_t>(body.size()));
        put32(header, kSummaryBuckets, 1);
        put32(header, kRrvBucketSize, static_cast<uint32_t>(rrv.size()));
        put32(header, kWriteCount, writeCount);
        put32(header, kSummaryPages, 1);
        put32(header, kModified, 0x00448E31u + writeCount);
        put32(header, kModified + 4, 0x85258AFDu);
        return withBody(header, body, kCompression, kStoredSize, kModified);
    }

    // The bucket descriptor block: the RRV bucket, the name table and its text.
    std::string descriptorBlock(const std::vector<std::pair<std::string, uint16_t>>& names) const {
        using namespace nsf::disk::descriptor_block;
        std::string table, text;
        put32(table, 0, 0); // the RRV bucket's file position (its copy is in the superblock)
        put32(table, 4, kFirstId);
        for (const auto& [name, type] : names) {
            const size_t e = table.size();
            put32(table, e, static_cast<uint32_t>(text.size()));
            put16(table, e + 4, static_cast<uint16_t>(name.size()));
            put16(table, e + 6, type);
            put16(table, e + 8, 0);
            text += name;
        }
        put32(table, table.size(), static_cast<uint32_t>(text.size()));
        const std::string body = table + text;
        std::string header(kHeaderSize, '\0');
        put16(header, 0, kSignature);
        put32(header, kSize, static_cast<uint32_t>(body.size()));
        put32(header, kWriteCount, 1);
        put32(header, kNames, static_cast<uint32_t>(names.size()));
        put32(header, kTextSize, static_cast<uint32_t>(text.size()));
        put32(header, kRrvBuckets, 1);
        put32(header, kModified, 0x00448E31u);
        put32(header, kModified + 4, 0x85258AFDu);
        std::string block = withBody(header, body, kCompression, kStoredSize, kModified);
        put32(block, kHeaderChecksum, nsf::disk::XorWords(std::string_view(block).substr(0, kChecksummed)));
        return block;
    }

    // header, then body in pieces, stored or compressed, then the trailer: the header's time and
    // the XOR of the pieces' words; the header says how it is stored and the block's whole size.
    std::string withBody(std::string header, const std::string& body, size_t compressionAt, size_t storedAt,
                         size_t modifiedAt) const {
        put16(header, compressionAt, compressed ? nsf::disk::compression::kCx : nsf::disk::compression::kStored);
        std::string framed;
        uint32_t sum = 0;
        const size_t step = (body.size() + pieces - 1) / pieces;
        for (size_t at = 0; at < body.size(); at += step) {
            const std::string part = body.substr(at, step);
            std::string piece;
            put32(piece, 0, 0);
            piece += compressed ? CxCompress(part) : part;
            put32(piece, 0, static_cast<uint32_t>(piece.size() - 4));
            sum ^= nsf::disk::XorWords(piece);
            framed += piece;
        }
        framed += header.substr(modifiedAt, 8);
        put32(framed, framed.size(), sum);
        put32(header, storedAt, static_cast<uint32_t>(header.size() + framed.size()));
        return header + framed;
    }

    static void put16(std::string& bytes, size_t at, uint32_t value) { put(bytes, at, value, 2); }
    static void put32(std::string& bytes, size_t at, uint32_t value) { put(bytes, at, value, 4); }
    static void put(std::string& bytes, size_t at, uint32_t value, size_t width) {
        if (bytes.size() < at + width)
            bytes.resize(at + width, '\0');
        for (size_t i = 0; i < width; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
};

// A $FILE item's value: a FILEOBJECT for objectId (the item type comes from the name table).
inline std::string FileObjectValue(const std::string& name, uint32_t objectId, uint16_t compression, uint32_t size) {
    std::string value(nsf::disk::file_object::kName, '\0');
    const auto put = [&](size_t at, uint32_t number, size_t width) {
        for (size_t i = 0; i < width; ++i)
            value[at + i] = static_cast<char>(number >> (8 * i));
    };
    put(nsf::disk::file_object::kRrvId, objectId, 4);
    put(nsf::disk::file_object::kNameLength, static_cast<uint32_t>(name.size()), 2);
    put(nsf::disk::file_object::kCompression, compression, 2);
    put(nsf::disk::file_object::kSize, size, 4);
    return value + name;
}

// Huffman coding as the object store keeps it: checksum, code tree, code bits (a tree that splits
// the symbols used, and the end, in halves).
inline std::string HuffmanCompress(const std::string& data) {
    std::vector<int> symbols;
    for (int c = 0; c < 256; ++c)
        if (data.find(static_cast<char>(c)) != std::string::npos)
            symbols.push_back(c);
    symbols.push_back(256);
    std::vector<std::pair<int16_t, int16_t>> nodes; // first (bit 1), second (bit 0)
    std::vector<std::string> codes(257);
    // Builds the node for symbols[from, to) whose code so far is prefix; returns its entry.
    const auto build = [&](auto& self, size_t from, size_t to, const std::string& prefix) -> int16_t {
        if (to - from == 1) {
            codes[static_cast<size_t>(symbols[from])] = prefix;
            return static_cast<int16_t>(symbols[from]);
        }
        const size_t index = nodes.size();
        nodes.emplace_back(0, 0);
        const size_t middle = from + (to - from) / 2;
        const int16_t one = self(self, from, middle, prefix + '1');
        const int16_t zero = self(self, middle, to, prefix + '0');
        nodes[index] = {one, zero};
        return static_cast<int16_t>(-static_cast<int>(index));
    };
    if (symbols.size() == 1)
        nodes.emplace_back(256, 256); // the end alone
    else
        build(build, 0, symbols.size(), "");
    std::string out(6, '\0');
    uint32_t sum = 0;
    for (char c : data)
        sum += static_cast<uint8_t>(c);
    for (size_t i = 0; i < 4; ++i)
        out[i] = static_cast<char>(sum >> (8 * i));
    out[4] = static_cast<char>(nodes.size() * 4), out[5] = static_cast<char>((nodes.size() * 4) >> 8);
    for (const auto& [one, zero] : nodes)
        for (const int16_t entry : {one, zero})
            out += std::string{static_cast<char>(entry & 0xFF), static_cast<char>((entry >> 8) & 0xFF)};
    std::string bits;
    for (char c : data)
        bits += codes[static_cast<uint8_t>(c)];
    bits += symbols.size() == 1 ? "1" : codes[256];
    for (size_t at = 0; at < bits.size(); at += 8) {
        uint8_t byte = 0;
        for (size_t k = 0; k < 8 && at + k < bits.size(); ++k)
            if (bits[at + k] == '1')
                byte = static_cast<uint8_t>(byte | (0x80 >> k));
        out += static_cast<char>(byte);
    }
    return out;
}

// Rich-text records: a paragraph, a run of text, and a picture (an image header, then segments of
// at most segment bytes; type 1 GIF, 2 JPEG, 4 PNG).
inline std::string RichParagraph() {
    return std::string("\x81\x02", 2);
}
inline std::string RichText(const std::string& text) {
    const size_t length = 8 + text.size();
    std::string record = "\x85\xFF" + std::string{static_cast<char>(length), static_cast<char>(length >> 8)} +
                         std::string(4, '\0') + text;
    return length % 2 ? record + '\0' : record;
}
inline std::vector<std::string> RichImage(uint16_t type, const std::string& bytes, size_t segment) {
    const auto le = [](uint32_t value, size_t width) {
        std::string out;
        for (size_t i = 0; i < width; ++i)
            out.push_back(static_cast<char>(value >> (8 * i)));
        return out;
    };
    const size_t segments = (bytes.size() + segment - 1) / segment;
    std::vector<std::string> records{std::string("\x7D\0", 2) + le(28, 4) + le(type, 2) + le(16, 2) + le(16, 2) +
                                     le(static_cast<uint32_t>(bytes.size()), 4) +
                                     le(static_cast<uint32_t>(segments), 4) + std::string(8, '\0')};
    for (size_t at = 0; at < bytes.size(); at += segment) {
        const std::string data = bytes.substr(at, segment);
        std::string record = std::string("\x7C\0", 2) + le(static_cast<uint32_t>(10 + data.size()), 4) +
                             le(static_cast<uint32_t>(data.size()), 2) +
                             le(static_cast<uint32_t>((data.size() + 1) & ~size_t{1}), 2) + data;
        records.push_back(data.size() % 2 ? record + '\0' : record);
    }
    return records;
}

// A MIME part item's value: the head, then boundary, headers and body; flags 4: the body is the
// name of the $FILE that holds it.
inline std::string MimePartValue(uint32_t flags, const std::string& boundary, const std::string& headers,
                                 const std::string& body) {
    std::string head(20, '\0');
    const auto put = [&](size_t at, uint32_t number, size_t width) {
        for (size_t i = 0; i < width; ++i)
            head[at + i] = static_cast<char>(number >> (8 * i));
    };
    put(0, 2, 2);
    put(2, flags, 4);
    head[6] = 2; // a body part
    put(8, static_cast<uint32_t>(boundary.size() + headers.size() + body.size()), 2);
    put(10, static_cast<uint32_t>(boundary.size()), 2);
    put(12, static_cast<uint32_t>(headers.size()), 2);
    return head + boundary + headers + body;
}

} // namespace nsftest
