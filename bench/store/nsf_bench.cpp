// Speed and memory of reading a Domino database file: a database of 100,000 documents built from
// the format's layout (summary buckets, non-summary buckets holding each document's rich text,
// a GIF in every twentieth, an attachment in every fiftieth, stored plainly or Huffman coded), some
// 250 MB, imported by nsftool into a store database in a process of its own, so that its peak
// memory is its own. Each figure is printed on a line of its own, with its goal.
#include "../../tests/support/NsfBuilder.h"

#include "nsf/Structures.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace nsf::disk;

namespace {

void Put(std::string& bytes, size_t at, uint64_t value, size_t width) {
    if (bytes.size() < at + width)
        bytes.resize(at + width, '\0');
    for (size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// block (its header) followed by body stored in one piece and the trailer, its time zero as the
// header's; the header gets the block's whole size at storedAt.
void Framed(std::string& block, const std::string& body, size_t storedAt) {
    std::string piece;
    Put(piece, 0, body.size(), 4);
    piece += body;
    block += piece + std::string(8, '\0');
    Put(block, block.size(), XorWords(piece), 4);
    Put(block, storedAt, block.size(), 4);
}

// A bucket of slots (summary or non-summary): records from kRecords on, the slot table before a
// trailer that keeps each sector's low nibble of its byte at kStampedByte, where the stamp 0x5
// takes its place.
class BucketWriter {
public:
    static constexpr size_t kSize = 61440; // 120 sectors
    static constexpr size_t kTrailer = kSize / summary_bucket::kSectorSize / 2;

    bool fits(size_t record, size_t maxSlots) const {
        return m_slots.size() < maxSlots &&
               m_at + record + 1 + summary_bucket::kSlotEntry * (m_slots.size() + 1) + kTrailer <= kSize;
    }
    uint32_t add(const std::string& record) {
        m_records += record;
        if (record.size() % 2)
            m_records += '\0';
        m_slots.emplace_back(m_at, record.size());
        m_at += (record.size() + 1) & ~size_t{1};
        return static_cast<uint32_t>(m_slots.size());
    }
    bool empty() const { return m_slots.empty(); }
    std::string bytes() const {
        std::string bucket(kSize, '\0');
        Put(bucket, 0, summary_bucket::kSignature, 2);
        Put(bucket, summary_bucket::kSize, kSize, 4);
        Put(bucket, summary_bucket::kSlotCount, m_slots.size(), 4);
        Put(bucket, summary_bucket::kTrailerSize, kTrailer, 4);
        bucket.replace(summary_bucket::kRecords, m_records.size(), m_records);
        for (size_t i = 0; i < m_slots.size(); ++i) {
            const size_t slot = kSize - kTrailer - summary_bucket::kSlotEntry * (i + 1);
            Put(bucket, slot, m_slots[i].first, 2);
            Put(bucket, slot + 2, m_slots[i].second, 2);
        }
        const size_t sectors = kSize / summary_bucket::kSectorSize;
        std::string trailer(kTrailer, '\0');
        for (size_t k = 0; k < sectors; ++k) {
            const auto nibble =
                static_cast<uint8_t>(bucket[k * summary_bucket::kSectorSize + summary_bucket::kStampedByte]) & 0x0F;
            const size_t i = sectors - 1 - k; // nibble i of the trailer read as one number
            trailer[i / 2] = static_cast<char>(static_cast<uint8_t>(trailer[i / 2]) | (nibble << (4 * (i % 2))));
            char& stamped = bucket[k * summary_bucket::kSectorSize + summary_bucket::kStampedByte];
            stamped = static_cast<char>((static_cast<uint8_t>(stamped) & 0xF0) | 0x05);
        }
        bucket.replace(kSize - kTrailer, kTrailer, trailer);
        return bucket;
    }

private:
    std::string m_records;
    std::vector<std::pair<size_t, size_t>> m_slots;
    size_t m_at = summary_bucket::kRecords;
};

struct Built {
    uint64_t bytes = 0;
    int documents = 0;
};

// Writes the database to file: the head (header, superblock, descriptor block) is written last,
// into room kept for it at the start.
Built WriteDatabase(const fs::path& file, int documents) {
    constexpr uint64_t kHeadRoom = 1 << 20;
    constexpr size_t kRrvSize = 4096;
    constexpr uint32_t kFirstId = 0x8F6;
    constexpr size_t kEntriesPerRrv = (kRrvSize - rrv_bucket::kEntries) / rrv_bucket::kEntrySize;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    uint64_t position = kHeadRoom;
    out.seekp(static_cast<std::streamoff>(position));
    const auto append = [&](const std::string& bytes) {
        const uint64_t at = position;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        position += bytes.size();
        const uint64_t padded = (position + 255) / 256 * 256;
        out.write(std::string(padded - position, '\0').data(), static_cast<std::streamsize>(padded - position));
        position = padded;
        return at;
    };
    const std::vector<std::pair<std::string, uint16_t>> names = {
        {"Form", 0x0500}, {"Subject", 0x0500}, {"Count", 0x0300}, {"Body", 0x0001}, {"$FILE", 0x0003}};
    std::vector<uint64_t> summaryBuckets, nonSummaryBuckets;
    BucketWriter summary, nonSummary;
    std::vector<std::pair<uint32_t, uint32_t>> entries; // RRV entries by note, then by object
    std::vector<std::pair<uint32_t, uint32_t>> objectEntries;
    const std::string attachment = [] {
        std::string text;
        for (int i = 0; text.size() < 30000; ++i)
            text += "line " + std::to_string(i) + " of an attached log\n";
        return text;
    }();
    const std::string packed = nsftest::HuffmanCompress(attachment);
    const std::string gif = "GIF89a" + std::string(3000, '\x5A');
    const auto flush = [&](BucketWriter& bucket, std::vector<uint64_t>& list) {
        list.push_back(append(bucket.bytes()));
        bucket = BucketWriter();
    };
    for (int n = 0; n < documents; ++n) {
        std::string body = nsftest::RichParagraph() +
                           nsftest::RichText("Document " + std::to_string(n) + ": " + std::string(1400, 'b'));
        if (n % 20 == 0)
            for (const std::string& record : nsftest::RichImage(1, gif, 1024))
                body += record;
        struct Value {
            uint16_t name;
            std::string bytes;
            bool summary;
        };
        std::vector<Value> values = {{0, "Memo", true},
                                     {1, "Subject of document " + std::to_string(n), true},
                                     {2, std::string(8, '\0'), true},
                                     {3, body, false}};
        const double count = n;
        values[2].bytes.assign(reinterpret_cast<const char*>(&count), 8);
        if (n % 50 == 0) {
            const bool huffman = n % 100 == 0;
            const uint32_t id =
                kFirstId + rrv_bucket::kIdStep * static_cast<uint32_t>(documents + objectEntries.size());
            std::string record(object_record::kHeaderSizeOds52, '\0');
            const std::string& stored = huffman ? packed : attachment;
            Put(record, 0, object_record::kSignatureOds52, 2);
            Put(record, object_record::kSize, record.size() + stored.size(), 4);
            objectEntries.emplace_back(static_cast<uint32_t>(append(record + stored) / 256), 0);
            values.push_back({4,
                              nsftest::FileObjectValue("log" + std::to_string(n) + ".txt", id, huffman ? 1 : 0,
                                                       static_cast<uint32_t>(attachment.size())),
                              true});
        }
        // The non-summary block, in a slot of a non-summary bucket (at most 127 slots a bucket).
        std::string block(nonsummary_block::kHeaderSize, '\0');
        Put(block, 0, nonsummary_block::kSignature, 2);
        for (const Value& value : values)
            if (!value.summary)
                block += value.bytes;
        Put(block, nonsummary_block::kSize, block.size(), 4);
        if (!nonSummary.fits(block.size(), note_record::kNonSummarySlotMask))
            flush(nonSummary, nonSummaryBuckets);
        const uint32_t nonSummarySlot = nonSummary.add(block);
        const auto nonSummaryBucket = static_cast<uint32_t>(nonSummaryBuckets.size() + 1);
        // The note record: header, item entries, summary values.
        std::string record(note_record::kHeaderSize + note_record::kItemEntry * values.size(), '\0');
        Put(record, 0, note_record::kSignature, 2);
        Put(record, note_record::kNoteId, kFirstId + rrv_bucket::kIdStep * n, 4);
        Put(record, note_record::kUnid, 0x1000000 + n, 8);
        Put(record, note_record::kUnid + 8, 0xABCDEF, 8);
        Put(record, note_record::kClass, 1, 2);
        for (const size_t at : {note_record::kModified, note_record::kCreated}) {
            Put(record, at, 6120700, 4);
            Put(record, at + 4, 2459128, 4);
        }
        Put(record, note_record::kItemCount, values.size(), 2);
        Put(record, note_record::kNonSummaryId,
            note_record::kNonSummaryInBucket | nonSummarySlot << note_record::kNonSummarySlotShift | nonSummaryBucket,
            4);
        Put(record, note_record::kNonSummarySize, block.size(), 4);
        for (size_t i = 0; i < values.size(); ++i) {
            const size_t e = note_record::kHeaderSize + note_record::kItemEntry * i;
            Put(record, e + note_record::kItemName, values[i].name, 2);
            Put(record, e + note_record::kItemFlags, (values[i].summary ? 0x0004 : 0) | 0x0008, 2);
            Put(record, e + note_record::kItemSize, values[i].bytes.size(), 2);
            if (values[i].summary)
                record += values[i].bytes;
        }
        Put(record, note_record::kSize, record.size(), 4);
        if (!summary.fits(record.size(), 0xFFFF))
            flush(summary, summaryBuckets);
        const uint32_t slot = summary.add(record);
        entries.emplace_back(rrv_bucket::kInBucket | static_cast<uint32_t>(summaryBuckets.size() + 1), slot);
    }
    if (!summary.empty())
        flush(summary, summaryBuckets);
    if (!nonSummary.empty())
        flush(nonSummary, nonSummaryBuckets);
    entries.insert(entries.end(), objectEntries.begin(), objectEntries.end());
    // The RRV buckets, each listing the next run of ids.
    std::vector<std::pair<uint64_t, uint32_t>> rrvBuckets;
    for (size_t first = 0; first < entries.size(); first += kEntriesPerRrv) {
        std::string rrv(kRrvSize, '\xFF');
        Put(rrv, 0, rrv_bucket::kSignature, 2);
        const auto firstId = static_cast<uint32_t>(kFirstId + rrv_bucket::kIdStep * first);
        Put(rrv, rrv_bucket::kFirstId, firstId, 4);
        for (size_t i = 0; i < kEntriesPerRrv && first + i < entries.size(); ++i) {
            Put(rrv, rrv_bucket::kEntries + rrv_bucket::kEntrySize * i, entries[first + i].first, 4);
            Put(rrv, rrv_bucket::kEntries + rrv_bucket::kEntrySize * i + 4, entries[first + i].second, 4);
        }
        rrvBuckets.emplace_back(append(rrv), firstId);
    }
    const uint64_t end = position;

    // The superblock: its body the descriptor pages of both kinds of buckets.
    constexpr size_t kPerSummaryPage =
        (superblock::kSummaryPageSize - superblock::kSummaryPageHeader) / superblock::kSummaryDescriptor;
    constexpr size_t kPerNonSummaryPage =
        (superblock::kNonSummaryPageSize - superblock::kNonSummaryPageHeader) / superblock::kNonSummaryDescriptor;
    const size_t summaryPages = (summaryBuckets.size() + kPerSummaryPage - 1) / kPerSummaryPage;
    const size_t nonSummaryPages = (nonSummaryBuckets.size() + kPerNonSummaryPage - 1) / kPerNonSummaryPage;
    std::string body(summaryPages * superblock::kSummaryPageSize + nonSummaryPages * superblock::kNonSummaryPageSize,
                     '\0');
    for (size_t i = 0; i < summaryBuckets.size(); ++i)
        Put(body,
            i / kPerSummaryPage * superblock::kSummaryPageSize + superblock::kSummaryPageHeader +
                i % kPerSummaryPage * superblock::kSummaryDescriptor,
            summaryBuckets[i] / 256, 4);
    const size_t nonSummaryAt = summaryPages * superblock::kSummaryPageSize;
    for (size_t i = 0; i < nonSummaryBuckets.size(); ++i)
        Put(body,
            nonSummaryAt + i / kPerNonSummaryPage * superblock::kNonSummaryPageSize +
                superblock::kNonSummaryPageHeader + i % kPerNonSummaryPage * superblock::kNonSummaryDescriptor,
            nonSummaryBuckets[i] / 256, 4);
    std::string sb(superblock::kHeaderSize, '\0');
    Put(sb, 0, superblock::kSignature, 2);
    Put(sb, superblock::kSize, body.size(), 4);
    Put(sb, superblock::kSummaryBuckets, summaryBuckets.size(), 4);
    Put(sb, superblock::kNonSummaryBuckets, nonSummaryBuckets.size(), 4);
    Put(sb, superblock::kRrvBucketSize, kRrvSize, 4);
    Put(sb, superblock::kWriteCount, 1, 4);
    Put(sb, superblock::kSummaryPages, summaryPages, 4);
    Put(sb, superblock::kNonSummaryPages, nonSummaryPages, 4);
    Framed(sb, body, superblock::kStoredSize);
    // The descriptor block: the RRV buckets, the names and their text.
    std::string table, text;
    for (const auto& [at, firstId] : rrvBuckets) {
        Put(table, table.size(), at / 256, 4);
        Put(table, table.size(), firstId, 4);
    }
    for (const auto& [name, type] : names) {
        const size_t e = table.size();
        Put(table, e, text.size(), 4);
        Put(table, e + 4, name.size(), 2);
        Put(table, e + 6, type, 2);
        Put(table, e + 8, 0, 2);
        text += name;
    }
    Put(table, table.size(), text.size(), 4);
    std::string descriptor(descriptor_block::kHeaderSize, '\0');
    Put(descriptor, 0, descriptor_block::kSignature, 2);
    Put(descriptor, descriptor_block::kSize, table.size() + text.size(), 4);
    Put(descriptor, descriptor_block::kWriteCount, 1, 4);
    Put(descriptor, descriptor_block::kNames, names.size(), 4);
    Put(descriptor, descriptor_block::kTextSize, text.size(), 4);
    Put(descriptor, descriptor_block::kRrvBuckets, rrvBuckets.size(), 4);
    Framed(descriptor, table + text, descriptor_block::kStoredSize);
    Put(descriptor, descriptor_block::kHeaderChecksum,
        XorWords(std::string_view(descriptor).substr(0, descriptor_block::kChecksummed)), 4);
    // The header, the superblock at 0x400 and the descriptor block after it.
    const uint64_t descriptorAt = (0x400 + sb.size() + 255) / 256 * 256;
    std::string head(descriptorAt + descriptor.size(), '\0');
    Put(head, 0, file_header::kSignature, 2);
    Put(head, file_header::kOds, 52, 4);
    Put(head, file_header::kRrvBucketSize, kRrvSize, 2);
    Put(head, file_header::kFileSize, end / 256, 4);
    head.replace(file_header::kInformation, 10, "Benchmark\n");
    Put(head, file_header::kSuperblocks, 0x400 / 256, 4);
    Put(head, file_header::kSuperblocks + 4, sb.size(), 4);
    Put(head, file_header::kDescriptorBlocks, descriptor.size(), 4);
    Put(head, file_header::kDescriptorBlocks + 4, descriptorAt / 256, 4);
    head.replace(0x400, sb.size(), sb);
    head.replace(descriptorAt, descriptor.size(), descriptor);
    if (head.size() > kHeadRoom) {
        std::fprintf(stderr, "the head of the database does not fit its room\n");
        std::exit(1);
    }
    out.seekp(0);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    return {end, documents};
}

} // namespace

int main(int argc, char** argv) {
    // nsf_bench [documents [folder]]: a folder named keeps the files for a look.
    const int documents = argc > 1 ? std::atoi(argv[1]) : 100000;
    const bool keep = argc > 2;
    const fs::path dir =
        keep ? fs::path(argv[2]) : fs::temp_directory_path() / ("verdanix-nsf-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "built.nsf", target = dir / "store.nsf";
    const Built built = WriteDatabase(file, documents);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const std::string source = file.string(), into = target.string();
        if (!freopen("/dev/null", "w", stdout))
            _exit(126);
        execl(VERDANIX_NSFTOOL, "nsftool", "import", source.c_str(), into.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string size = std::to_string(documents);
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 6)) {
        std::printf("nsf_import_%s failed (status %d)\n", size.c_str(), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    } else {
        std::printf("nsf_import_%s_file_mb %.0f\n", size.c_str(), built.bytes / 1048576.0);
        std::printf("nsf_import_%s_mb_per_second %.1f (goal >= 50)\n", size.c_str(), built.bytes / 1048576.0 / seconds);
        std::printf("nsf_import_%s_documents_per_second %.0f\n", size.c_str(), built.documents / seconds);
        std::printf("nsf_import_%s_peak_memory_mb %.0f (goal < 100)\n", size.c_str(), usage.ru_maxrss / 1024.0);
    }
    std::error_code ec;
    if (!keep)
        fs::remove_all(dir, ec);
    return 0;
}
