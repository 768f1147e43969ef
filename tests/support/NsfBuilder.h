// A small Domino database file built from its layout, for tests and fuzz seeds that must not
// depend on real files: the header, one superblock and one bucket descriptor block (stored, not
// compressed), the data RRV bucket inside the superblock, and one summary bucket holding the
// notes, its sectors stamped as Domino stamps them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nsftest {

struct BuiltItem {
    std::string name;
    uint16_t type;  // data type
    uint16_t flags; // item flags; 0x0004 summary is added
    std::string value;
};

struct BuiltNote {
    uint16_t noteClass = 0x0001;
    std::string unid; // 16 bytes
    std::vector<BuiltItem> items;
};

class NsfBuilder {
public:
    static constexpr uint32_t kFirstId = 0x8F6;

    std::string title = "Built";
    std::vector<BuiltNote> notes;

    std::string build() const {
        constexpr size_t kSuperblock = 0x400, kRrvSize = 288, kBucketSize = 8192;
        constexpr size_t kSummaryPage = 8206;
        // Names: one per item name, in order of first use, with the type of that first use.
        std::vector<std::pair<std::string, uint16_t>> names;
        const auto nameIndex = [&](const BuiltItem& item) {
            for (size_t i = 0; i < names.size(); ++i)
                if (names[i].first == item.name)
                    return static_cast<uint16_t>(i);
            names.emplace_back(item.name, item.type);
            return static_cast<uint16_t>(names.size() - 1);
        };
        // The summary bucket: the note records from 68 on, the slot table before the trailer.
        std::string bucket(kBucketSize, '\0');
        put16(bucket, 0, 0x4202);
        put32(bucket, 6, kBucketSize);
        put32(bucket, 44, static_cast<uint32_t>(notes.size()));
        constexpr uint32_t kTrailer = kBucketSize / 512 / 2; // a nibble a sector
        put32(bucket, 50, kTrailer);
        size_t at = 68;
        for (size_t n = 0; n < notes.size(); ++n) {
            const BuiltNote& note = notes[n];
            std::string record(100 + 8 * note.items.size(), '\0');
            put16(record, 0, 0x0004);
            put32(record, 6, kFirstId + 4 * static_cast<uint32_t>(n));
            record.replace(10, 16, note.unid.substr(0, 16));
            put16(record, 40, note.noteClass);
            put32(record, 42, 6120700); // modified 2020-10-05 17:00:07 UTC
            put32(record, 46, 2459128);
            put16(record, 50, static_cast<uint16_t>(note.items.size()));
            put32(record, 72, 6120700); // created
            put32(record, 76, 2459128);
            for (size_t i = 0; i < note.items.size(); ++i) {
                const BuiltItem& item = note.items[i];
                const size_t e = 100 + 8 * i;
                put16(record, e, nameIndex(item));
                put16(record, e + 2, static_cast<uint16_t>(item.flags | 0x0004 | 0x0008));
                put16(record, e + 4, static_cast<uint16_t>(item.value.size()));
                record += item.value;
            }
            put32(record, 2, static_cast<uint32_t>(record.size()));
            bucket.replace(at, record.size(), record);
            const size_t slot = kBucketSize - kTrailer - 4 * (n + 1);
            put16(bucket, slot, static_cast<uint16_t>(at));
            put16(bucket, slot + 2, static_cast<uint16_t>(record.size()));
            at += (record.size() + 1) & ~size_t{1};
        }
        // Each sector's byte at 0x42 keeps its low four bits in the trailer (sector 0 the most
        // significant nibble) and carries the stamp 0x5 there instead.
        uint64_t trailer = 0;
        for (size_t k = 0; k < kBucketSize / 512; ++k) {
            const auto byte = static_cast<uint8_t>(bucket[k * 512 + 0x42]);
            trailer |= uint64_t{byte & 0x0Fu} << (4 * (kBucketSize / 512 - 1 - k));
            bucket[k * 512 + 0x42] = static_cast<char>((byte & 0xF0) | 0x05);
        }
        for (size_t i = 0; i < kTrailer; ++i)
            bucket[kBucketSize - kTrailer + i] = static_cast<char>(trailer >> (8 * i));
        // The data RRV bucket: each note in slot n + 1 of bucket 1.
        std::string rrv(kRrvSize, '\xFF');
        put16(rrv, 0, 0x2006);
        put32(rrv, 6, kFirstId);
        for (size_t n = 0; n < notes.size(); ++n) {
            put32(rrv, 32 + 8 * n, 0x80000001u);
            put32(rrv, 36 + 8 * n, static_cast<uint32_t>(n + 1));
        }
        // The superblock's body: one page of summary bucket descriptors, then the RRV bucket.
        const size_t bucketAt = 0x4000;
        std::string body(kSummaryPage, '\0');
        put32(body, 224, bucketAt / 256);
        body += rrv;
        std::string superblock(104, '\0');
        put16(superblock, 0, 0x000E);
        put32(superblock, 10, static_cast<uint32_t>(body.size()));
        put32(superblock, 14, 1);
        put32(superblock, 60, 1);
        put32(superblock, 70, 1);
        put32(superblock, 100, static_cast<uint32_t>(body.size()));
        superblock += body;
        // The bucket descriptor block: the RRV bucket, the name table and its text.
        std::string table, text;
        put32(table, 0, 0); // the RRV bucket's file position (its copy is in the superblock)
        put32(table, 4, kFirstId);
        for (const auto& [name, type] : names) {
            const size_t e = table.size();
            put32(table, e, static_cast<uint32_t>(text.size()));
            put16(table, e + 4, static_cast<uint16_t>(name.size()));
            put16(table, e + 6, type);
            put16(table, e + 8, 0); // two bytes whose use is not known
            text += name;
        }
        put32(table, table.size(), static_cast<uint32_t>(text.size()));
        const std::string descriptorBody = table + text;
        std::string descriptor(70, '\0');
        put16(descriptor, 0, 0x0001);
        put32(descriptor, 6, static_cast<uint32_t>(descriptorBody.size()));
        put32(descriptor, 10, 1);
        put32(descriptor, 26, static_cast<uint32_t>(names.size()));
        put32(descriptor, 34, static_cast<uint32_t>(text.size()));
        put32(descriptor, 38, 1);
        put32(descriptor, 66, static_cast<uint32_t>(descriptorBody.size()));
        descriptor += descriptorBody;
        const size_t descriptorAt = 0x3000;
        // The header: signature, on-disk structure 52, the RRV bucket size, the title, and where
        // the superblock and the descriptor block lie.
        std::string file(bucketAt + kBucketSize, '\0');
        put16(file, 0, 0x001A);
        put32(file, 6, 52);
        put16(file, 6 + 70, kRrvSize);
        file.replace(200, title.size() + 1, title + '\n');
        put32(file, 0x208 + 40, kSuperblock / 256);
        put32(file, 0x208 + 44, static_cast<uint32_t>(superblock.size()));
        put32(file, 0x208 + 104, static_cast<uint32_t>(descriptor.size()));
        put32(file, 0x208 + 108, descriptorAt / 256);
        file.replace(kSuperblock, superblock.size(), superblock);
        file.replace(descriptorAt, descriptor.size(), descriptor);
        file.replace(bucketAt, bucket.size(), bucket);
        return file;
    }

private:
    static void put16(std::string& bytes, size_t at, uint32_t value) { put(bytes, at, value, 2); }
    static void put32(std::string& bytes, size_t at, uint32_t value) { put(bytes, at, value, 4); }
    static void put(std::string& bytes, size_t at, uint32_t value, size_t width) {
        if (bytes.size() < at + width)
            bytes.resize(at + width, '\0');
        for (size_t i = 0; i < width; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
};

} // namespace nsftest
