// The reader of Domino database files: the six real samples beside the project (what they are
// known to hold), their import into a store database, LMBCS text, and damaged files.
#include "support/NsfBuilder.h"
#include "support/NsfWalk.h"

#include "import/Import.h"
#include "import/NsfCache.h"
#include "nsf/Cx.h"
#include "nsf/Database.h"
#include "nsf/Lmbcs.h"
#include "nsf/Structures.h"
#include "nsf/Values.h"
#include "store/Formula.h"
#include "store/NoteReading.h"
#include "store/OleTime.h"
#include "store/StoreFile.h"
#include "store/ValueCodec.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

namespace fs = std::filesystem;

const QString kSamples = QStringLiteral(VERDANIX_NSF_SAMPLES);

fs::path Sample(const char* name) {
    return fs::path((kSamples + "/" + name).toStdU16String());
}

#define REQUIRE_SAMPLES()                                                                                              \
    if (!QDir(kSamples).exists())                                                                                      \
    GTEST_SKIP() << "the .nsf samples are not beside the project"

struct Read {
    nsf::DatabaseInfo info;
    std::vector<nsf::Note> notes;
};

// Every note of a file; a note that cannot be read fails the test.
Read ReadAll(const fs::path& file) {
    nsf::Database db(file);
    Read out{db.info(), {}};
    for (const auto& ref : db.notes())
        if (auto note = db.readNote(ref))
            out.notes.push_back(std::move(*note));
    EXPECT_TRUE(db.problems().empty()) << db.problems().front();
    return out;
}

std::vector<nsf::Value> ValuesOf(const nsf::Note& note, const char16_t* name) {
    const nsf::Item* item = note.find(name);
    return item ? nsf::DecodeValues(item->type, item->value).values : std::vector<nsf::Value>{};
}

std::u16string TextOf(const nsf::Note& note, const char16_t* name) {
    const auto values = ValuesOf(note, name);
    return values.empty() ? std::u16string() : std::get<std::u16string>(values.front());
}

size_t Count(const Read& read, uint16_t noteClass) {
    return static_cast<size_t>(std::count_if(read.notes.begin(), read.notes.end(),
                                             [&](const nsf::Note& n) { return n.noteClass & noteClass; }));
}

} // namespace

TEST(NsfReader, SamplesHoldWhatTheyAreKnownToHold) {
    REQUIRE_SAMPLES();
    const std::map<std::string, std::tuple<uint32_t, std::u16string, size_t>> expected = {
        {"XPagesSBT.nsf", {43, u"IBM XPages SBT Demo", 0}},
        {"sbtplayground.nsf", {43, u"Social Business Toolkit - Playground", 0}},
        {"sample.nsf", {52, u"BVT Test DB", 18}},
        {"knowndt.nsf", {52, u"Known Date/Time", 2}},
        {"invalidtimedate.nsf", {52, u"JNX Invalid TimeDate", 2}},
        {"signeddoc.nsf", {55, u"Signed Doc", 1}},
    };
    for (const auto& [name, facts] : expected) {
        SCOPED_TRACE(name);
        const Read read = ReadAll(Sample(name.c_str()));
        EXPECT_EQ(read.info.ods, std::get<0>(facts));
        EXPECT_EQ(read.info.title, std::get<1>(facts));
        EXPECT_EQ(Count(read, nsf::note_class::kDocument), std::get<2>(facts));
    }

    std::vector<std::u16string> views;
    for (const auto& note : ReadAll(Sample("sbtplayground.nsf")).notes)
        if (note.noteClass & nsf::note_class::kView)
            views.push_back(TextOf(note, u"$TITLE"));
    for (const char16_t* view : {u"AllSnippets", u"AllTags", u"GlobalOptions"})
        EXPECT_NE(std::find(views.begin(), views.end(), view), views.end()) << QString::fromUtf16(view).toStdString();

    const Read known = ReadAll(Sample("knowndt.nsf"));
    const auto doc = std::find_if(known.notes.begin(), known.notes.end(),
                                  [](const nsf::Note& n) { return n.unid == "489CC69E9C1E96CB852585F8005A812C"; });
    ASSERT_NE(doc, known.notes.end());
    EXPECT_EQ(TextOf(*doc, u"Form"), u"Tester");
    const auto foo = ValuesOf(*doc, u"foo");
    ASSERT_EQ(foo.size(), 1u);
    EXPECT_EQ(nsf::TimeText(std::get<nsf::Time>(foo.front())), "2020-10-05T17:10:07Z");

    const Read signed_ = ReadAll(Sample("signeddoc.nsf"));
    const auto signedDoc = std::find_if(signed_.notes.begin(), signed_.notes.end(),
                                        [](const nsf::Note& n) { return n.noteClass & nsf::note_class::kDocument; });
    ASSERT_NE(signedDoc, signed_.notes.end());
    EXPECT_EQ(TextOf(*signedDoc, u"Color"), u"Red");
    EXPECT_EQ(TextOf(*signedDoc, u"Form"), u"SampleForm");
    EXPECT_EQ(ValuesOf(*signedDoc, u"$UpdatedBy").size(), 2u);

    // A database of compressed values: its documents, a compressed Body as the notes give its text.
    // (It lies beside the others, or in next/ where the samples are laid out as they once were.)
    const fs::path demoFile = fs::exists(Sample("Demo.nsf")) ? Sample("Demo.nsf") : Sample("next/Demo.nsf");
    if (!fs::exists(demoFile))
        return;
    const Read all = ReadAll(demoFile);
    EXPECT_EQ(all.info.title, u"Demo");
    EXPECT_EQ(Count(all, nsf::note_class::kDocument), 3348u);
    nsf::Database demo(demoFile);
    const auto ref = std::find_if(demo.notes().begin(), demo.notes().end(),
                                  [](const nsf::NoteRef& r) { return r.noteId == 0x9B76; });
    ASSERT_NE(ref, demo.notes().end());
    const auto note = demo.readNote(*ref);
    ASSERT_TRUE(note);
    const nsf::Item* body = note->find(u"Body");
    ASSERT_TRUE(body && body->unreadable.empty());
    EXPECT_EQ(nsf::DecodeRichText(body->value).paragraphs.front(), u"name: Robert Redford");
}

TEST(NsfReader, RichTextComesOutAsParagraphsAndViewsWithTheirColumns) {
    REQUIRE_SAMPLES();
    const Read read = ReadAll(Sample("sample.nsf"));
    size_t richText = 0;
    bool allView = false;
    for (const auto& note : read.notes) {
        for (const auto& item : note.items)
            if (item.type == nsf::data_type::kComposite && (note.noteClass & nsf::note_class::kDocument))
                richText += nsf::DecodeRichText(item.value).damaged ? 0 : 1;
        if ((note.noteClass & nsf::note_class::kView) && TextOf(note, u"$TITLE") == u"All") {
            const nsf::Item* format = note.find(u"$VIEWFORMAT");
            ASSERT_TRUE(format);
            const auto columns = nsf::DecodeViewFormat(format->value);
            ASSERT_GE(columns.size(), 3u);
            EXPECT_EQ(columns[1].itemName, u"Name");
            EXPECT_EQ(columns[1].title, u"Name");
            EXPECT_EQ(columns[2].title, u"ID");
            allView = true;
        }
    }
    EXPECT_GT(richText, 0u);
    EXPECT_TRUE(allView);
}

TEST(NsfReader, LmbcsGroupsConvert) {
    // ASCII, code page 850 (0x81 ü), a zero byte as a line break, UTF-16 (group 0x14), simplified
    // Chinese GBK (0x13), traditional Chinese Big5 (0x12), Japanese Shift-JIS (0x10), Korean (0x11).
    const std::string text = std::string("A\x81\0B", 4) + "\x14\x4E\x2D" + "\x13\xD6\xD0\x13\xCE\xC4" + "\x12\xA4\xA4" +
                             "\x10\x93\xFA" + "\x11\xC7\xD1";
    const nsf::LmbcsText out = nsf::LmbcsToUtf16(text);
    EXPECT_EQ(out.text, u"Aü\nB中中文中日한");
    EXPECT_EQ(out.unconverted, 0u);
    // A group this program has no table for, and a group byte at the very end.
    const nsf::LmbcsText unknown = nsf::LmbcsToUtf16("\x15\x01\x02x\x13");
    EXPECT_EQ(unknown.text, u"\uFFFDx\uFFFD");
    EXPECT_EQ(unknown.unconverted, 2u);
}

TEST(NsfReader, ValuesDecodeFromTheirBytes) {
    using namespace nsf::data_type;
    const auto le = [](std::initializer_list<uint32_t> words, size_t width) {
        std::string out;
        for (uint32_t w : words)
            for (size_t i = 0; i < width; ++i)
                out.push_back(static_cast<char>(w >> (8 * i)));
        return out;
    };
    // A text list of two (count, lengths, texts), a number range (one number, one pair), a time
    // range with an empty time, which is no value, and note references.
    EXPECT_EQ(nsf::DecodeValues(kTextList, le({2, 1, 4}, 2) + "ab\x13\xD6\xD0").values,
              (std::vector<nsf::Value>{u"a", u"b中"}));
    double numbers[] = {1.5, 2, 3};
    std::string range = le({1, 1}, 2) + std::string(reinterpret_cast<const char*>(numbers), sizeof numbers);
    EXPECT_EQ(nsf::DecodeValues(kNumberRange, range).values, (std::vector<nsf::Value>{1.5, 2.0, 3.0}));
    const auto times = nsf::DecodeValues(kTimeRange, le({2, 0}, 2) + le({6120700, 2459128, 0, 0}, 4));
    ASSERT_EQ(times.values.size(), 1u);
    EXPECT_EQ(nsf::TimeText(std::get<nsf::Time>(times.values[0])), "2020-10-05T17:00:07Z");
    EXPECT_EQ(times.leftOut, 0u);
    EXPECT_EQ(nsf::DecodeValues(kNoteRefList, le({1}, 2) + le({0x11111111, 0x22222222, 3, 4}, 4)).values,
              (std::vector<nsf::Value>{u"222222221111111100000004"
                                       u"00000003"}));
    // A list that claims more than it holds is the reader's error.
    EXPECT_THROW(nsf::DecodeValues(kTextList, le({3, 1}, 2) + "a"), nsf::FormatError);

    // Rich text: paragraph records, text records (header, font, text; a zero byte is a line
    // break), a picture, and a record that runs past the end.
    const std::string paragraph = "\x81\x02";
    const auto text = [&](const std::string& t) {
        const size_t length = 8 + t.size();
        std::string record = "\x85\xFF" + le({static_cast<uint32_t>(length)}, 2) + le({0}, 4) + t;
        return length % 2 ? record + '\0' : record;
    };
    // A GIF of five bytes: its header (type 1, 3 x 2 pixels, 5 bytes), then two segments, which lie
    // in the field's next item; a Notes bitmap after it is counted, not decoded.
    const std::string image = "\x7D" + std::string(1, '\0') + le({20}, 4) + le({1, 3, 2}, 2) + le({5, 2}, 4);
    const auto segment = [&](const std::string& data) {
        return "\x7C" + std::string(1, '\0') + le({static_cast<uint32_t>(10 + data.size())}, 4) +
               le({static_cast<uint32_t>(data.size()), static_cast<uint32_t>(data.size())}, 2) + data;
    };
    nsf::RichTextReader reader;
    reader.add(paragraph + text("one") + image + segment("GIF"));
    reader.add(segment("89") + paragraph + text(std::string("a\0b", 3)) + std::string("\x95\x04\0\0", 4) +
               "\x85\xFF\x40");
    const nsf::RichText rich = reader.finish();
    EXPECT_EQ(rich.paragraphs, (std::vector<std::u16string>{u"one", u"a\nb"}));
    ASSERT_EQ(rich.pictures.size(), 2u);
    EXPECT_EQ(rich.pictures[0].bytes, "GIF89");
    EXPECT_TRUE(rich.pictures[0].complete);
    EXPECT_EQ(rich.pictures[0].paragraph, 1u) << "in the first paragraph";
    EXPECT_EQ(rich.pictures[1].kind, nsf::Picture::Kind::NotesBitmap);
    EXPECT_TRUE(rich.damaged);

    // A file object: descriptor, name length, four words, size, two times, name.
    const std::string file =
        le({0x0008}, 2) + le({0x100}, 4) + le({5, 0, 0, 0, 0}, 2) + le({1234}, 4) + std::string(16, '\0') + "a.txt";
    const nsf::FileObject object = nsf::DecodeFileObject(file);
    EXPECT_EQ(object.name, u"a.txt");
    EXPECT_EQ(object.size, 1234u);
    EXPECT_THROW(nsf::DecodeFileObject(file.substr(0, 38)), nsf::FormatError) << "one error style: FormatError";
}

// Compiled formulas from their bytes: the selection program back to formula text, a column that
// only shows an item, and a word not understood, which gives no text.
TEST(NsfReader, CompiledFormulasBecomeFormulaText) {
    const auto u16 = [](uint32_t value) {
        return std::string{static_cast<char>(value), static_cast<char>(value >> 8)};
    };
    const auto push = [&](uint16_t word, const std::string& text) {
        return u16(word) + u16(static_cast<uint32_t>(text.size())) + text +
               (text.size() % 2 ? std::string(1, '\0') : "");
    };
    const auto record = [&](uint16_t type, const std::string& body) {
        return u16(type) + u16(static_cast<uint32_t>(4 + body.size())) + body;
    };
    const auto formula = [&](const std::string& records) {
        return u16(static_cast<uint32_t>(2 + records.size())) + records;
    };
    // Form = "Main Topic" : "Reply" | @IsAvailable(Chuck), then the end.
    const std::string program = push(5, "Form") + push(1, "Main Topic") + push(1, "Reply") + u16(0x021F) + u16(0x020A) +
                                push(5, "Chuck") + u16(0x0168) + u16(0x021D) + u16(0x0003);
    const std::string column = u16(2) + "$2" + push(5, "Subject") + u16(0x0003);
    const auto decoded = nsf::DecodeCompiledFormulas(formula(record(0, program) + record(2, column) + record(4, "")));
    ASSERT_TRUE(decoded.selection);
    EXPECT_EQ(*decoded.selection, u"SELECT ((Form = (\"Main Topic\" : \"Reply\")) | @IsAvailable(Chuck))");
    EXPECT_NO_THROW(store::Formula(*decoded.selection)) << "the store's formulas take it";
    ASSERT_EQ(decoded.columnItems.size(), 1u);
    EXPECT_EQ(decoded.columnItems[0], std::make_pair(std::u16string(u"$2"), std::u16string(u"Subject")));
    const auto unknown =
        nsf::DecodeCompiledFormulas(formula(record(0, push(5, "Category") + push(1, "x") + u16(0x0247))));
    EXPECT_FALSE(unknown.selection);
    EXPECT_EQ(unknown.unknownWords, std::vector<uint16_t>{0x0247});
    EXPECT_THROW(nsf::DecodeCompiledFormulas(u16(40) + u16(0) + u16(60)), nsf::FormatError);
}

// The views of real files list their own documents, and a folder its members.
TEST(NsfImport, ViewsListTheirOwnDocumentsAndFoldersTheirMembers) {
    REQUIRE_SAMPLES();
    QTemporaryDir dir;
    const auto count = [&](const char* sample, const std::u16string& view) -> int64_t {
        const fs::path target(dir.filePath(QString::fromLatin1(sample)).toStdU16String());
        if (!fs::exists(target))
            importer::Import({Sample(sample)}, target, false);
        const auto db = store::OpenDatabaseFile(target);
        for (const auto& def : store::LoadViews(db))
            if (def.name == view) {
                auto rows = db.prepare("SELECT COUNT(*) FROM view_entries WHERE view_id = ?");
                rows.bind(1, def.viewId);
                return rows.step() ? rows.int64(0) : -1;
            }
        return -1;
    };
    EXPECT_EQ(count("sbtplayground-docs.nsf", u"AllEnvironments"), 5);
    EXPECT_EQ(count("sbtplayground-docs.nsf", u"AllSnippets"), 275);
    EXPECT_EQ(count("sample.nsf", u"Backup Role for Student"), 1) << "the folder's one member";
    // Selections with a word not understood: the stored index's members, profile documents left out.
    EXPECT_EQ(count("sample.nsf", u"By Role\\Teacher"), 10);
    EXPECT_EQ(count("sample.nsf", u"By Role\\Student"), 4);
    EXPECT_EQ(count("sample.nsf", u"Advanced"), 15);
}

namespace {

std::string FromHex(const char* hex) {
    return QByteArray::fromHex(hex).toStdString();
}

} // namespace

// CX streams from the format notes: literals, copies that overlap what they write, the end
// marker; and the ways a stream is refused.
TEST(NsfReader, CxDecompressionFromBytes) {
    EXPECT_EQ(nsf::CxExpand(FromHex("14 44 28 c0 00"), 100), "AB");
    EXPECT_EQ(nsf::CxExpand(FromHex("34 14 60 00"), 100), "C");
    const std::string stream = FromHex("14 46 cc 58 c4 81 07 02 0c 00");
    EXPECT_EQ(nsf::CxDecompress(stream, 14), "abcabcabcabcab");
    EXPECT_THROW(nsf::CxDecompress(stream, 13), nsf::FormatError) << "gives more than stated";
    EXPECT_THROW(nsf::CxDecompress(stream, 15), nsf::FormatError) << "gives less than stated";
    EXPECT_THROW(nsf::CxExpand(stream.substr(0, 8), 100), nsf::FormatError) << "cut before its end marker";
    EXPECT_THROW(nsf::CxExpand(FromHex("14 76 01"), 3), nsf::FormatError) << "before its start";
    EXPECT_THROW(nsf::CxExpand(FromHex("13 46"), 1), nsf::FormatError) << "unknown mode";
    EXPECT_THROW(nsf::CxExpand({}, 1), nsf::FormatError);
    // The builder's compressor round-trips through the reader's decompressor.
    const std::string data = std::string(3000, '\0') + "page" + std::string(70, 'x') + "end";
    EXPECT_EQ(nsf::CxDecompress(nsftest::CxCompress(data), data.size()), data);
}

// A bucket descriptor block in three pieces, with both checksums, from the format notes; and the
// damage each check finds.
TEST(NsfReader, BlockInPiecesWithChecksums) {
    namespace disk = nsf::disk;
    const std::string block = FromHex("01000200010032000000010000009b000000318e4400fd8a2585020000000100000008"
                                      "0000000100000005000000000000000000000061856904000000000000000027000000"
                                      "146e000000060200000000000000040000280000000100000010001000000000080000"
                                      "000830000c00000064e48d9c3642de90c90b30000e0000000400800000000004000000"
                                      "20c000318e4400fd8a25856ecce538");
    ASSERT_EQ(block.size(), 155u);
    const nsf::Bytes bytes(block);
    const disk::BlockHeader header = disk::ReadDescriptorHeader(bytes);
    EXPECT_EQ(header.storedSize, 155u);
    EXPECT_NO_THROW(disk::CheckDescriptorHeader(bytes));
    EXPECT_EQ(disk::ReadBlockBody(bytes, disk::descriptor_block::kHeaderSize, header),
              FromHex("e103000006010000000000000400000500000400000004000100000008000000466f726d426f6479"
                      "00000200000001000000"));
    // Each piece padded on its own.
    EXPECT_EQ(disk::XorWords(FromHex("05000000144428c000")) ^ disk::XorWords(FromHex("0400000034146000")), 0xC0485021u);
    // Any byte changed in a piece, the header or the trailer is found.
    for (const size_t at : {size_t{8}, size_t{40}, size_t{70}, size_t{115}, size_t{130}, size_t{146}, size_t{152}}) {
        std::string damaged = block;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        const nsf::Bytes b(damaged);
        EXPECT_ANY_THROW({
            disk::CheckDescriptorHeader(b);
            disk::ReadBlockBody(b, disk::descriptor_block::kHeaderSize, disk::ReadDescriptorHeader(b));
        }) << "a change at "
           << at;
    }
}

// The structures read from their own bytes, where a whole file would hide a mistake.
TEST(NsfReader, StructuresReadFromTheirBytes) {
    namespace disk = nsf::disk;
    std::string rrv(48, '\0');
    const auto put32 = [](std::string& bytes, size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    rrv[0] = 0x06, rrv[1] = 0x20;
    put32(rrv, disk::rrv_bucket::kFirstId, 0x100);
    put32(rrv, 40, 0x80000003u); // id 0x104: bucket 3, slot 9
    put32(rrv, 44, 9);
    const auto entries = disk::ReadRrvBucket(nsf::Bytes(rrv));
    ASSERT_EQ(entries.size(), 1u) << "the free entry is left out";
    EXPECT_EQ(entries[0].noteId, 0x104u);
    EXPECT_EQ(disk::KindOf(entries[0].position, entries[0].slot), disk::EntryKind::Slot);
    EXPECT_EQ(disk::KindOf(0x40, 0), disk::EntryKind::FilePosition);
    EXPECT_EQ(disk::KindOf(0xFFFFFFFF, 0), disk::EntryKind::Unused);
    rrv[0] = 0;
    EXPECT_THROW(disk::ReadRrvBucket(nsf::Bytes(rrv)), nsf::FormatError);

    // A bucket of two sectors: the byte at 0x42 of each carries a stamp, its real low bits are
    // in the one-byte trailer (sector 0 the high nibble); one slot before the trailer.
    std::string bucket(1024, '\0');
    bucket[0] = 0x02, bucket[1] = 0x42;
    put32(bucket, disk::summary_bucket::kSlotCount, 1);
    put32(bucket, disk::summary_bucket::kTrailerSize, 1);
    bucket[0x42] = '\x35', bucket[512 + 0x42] = '\x45';
    bucket[1023] = '\xA7';
    bucket[1019] = 0x44, bucket[1021] = 0x08; // slot 1: offset 0x44, 8 bytes
    const auto layout = disk::UnstampSummaryBucket(bucket);
    EXPECT_EQ(bucket[0x42], '\x3A');
    EXPECT_EQ(bucket[512 + 0x42], '\x47');
    EXPECT_EQ(layout.slotTable, (std::vector<std::pair<uint16_t, uint16_t>>{{0x44, 8}}));
    EXPECT_TRUE(layout.damagedSectors.empty());
    // A 63,488-byte bucket: 124 sectors, a 64-byte trailer of 128 nibbles (a real one, stamp 0xA).
    std::string large(63488, '\0');
    large[0] = 0x02, large[1] = 0x42;
    put32(large, disk::summary_bucket::kTrailerSize, 64);
    for (size_t k = 0; k < 124; ++k)
        large[k * 512 + 0x42] = '\x0A';
    large.replace(large.size() - 64, 64,
                  FromHex("0000 08ec 10f7 cd00 c8f5 cd20 e000 9705 9004 5200 e802 0034 12d0 0346 500c 537c c450 7c66"
                          "c051 6c06 0462 f0c4 0f9f 533c ac8a 0964 00f2 4651 5021 f1d0 3633 0009"));
    std::string damaged = large;
    EXPECT_TRUE(disk::UnstampSummaryBucket(large).damagedSectors.empty());
    std::string nibbles;
    for (const size_t k : {0, 1, 2, 3, 4, 5, 6, 7, 120, 121, 122, 123})
        nibbles += "0123456789abcdef"[large[k * 512 + 0x42] & 0x0F];
    EXPECT_EQ(nibbles, "09003336ec08");
    damaged[5 * 512 + 0x42] = '\x00';
    EXPECT_EQ(disk::UnstampSummaryBucket(damaged).damagedSectors, std::vector<uint32_t>{5})
        << "a stamp not the bucket's";
    put32(bucket, disk::summary_bucket::kSlotCount, 1000);
    EXPECT_THROW(disk::UnstampSummaryBucket(bucket), nsf::FormatError);

    std::string header(disk::file_header::kSize, '\0');
    header[0] = 0x1A;
    put32(header, disk::file_header::kOds, 43);
    put32(header, disk::file_header::kReplicaLow, 0x89ABCDEF);
    put32(header, disk::file_header::kReplicaHigh, 0x01234567);
    header.replace(disk::file_header::kInformation, 6, "Title\n");
    put32(header, disk::file_header::kDescriptorBlocks + 12, 0x30); // the second copy's position / 256
    const disk::FileHeader read = disk::ReadFileHeader(nsf::Bytes(header));
    EXPECT_EQ(read.ods, 43u);
    EXPECT_EQ(read.replicaId, "0123456789ABCDEF");
    EXPECT_EQ(read.information, "Title\n");
    EXPECT_EQ(read.descriptorBlocks[1].position, 0x3000u);
    EXPECT_FALSE(disk::HasFileSignature(header.substr(0, 9)));
}

// A database built from the layout: read without the samples, down to the stamped sectors of its
// summary bucket, and imported.
TEST(NsfReader, ABuiltDatabaseReadsAndImports) {
    const auto le = [](uint64_t value, size_t width) {
        std::string out;
        for (size_t i = 0; i < width; ++i)
            out.push_back(static_cast<char>(value >> (8 * i)));
        return out;
    };
    const std::string longText = std::string(700, 'x') + "\x13\xD6\xD0";
    const double count = 3.5;
    const std::string richText = "\x81\x02" + std::string("\x85\xFF\x0C\x00\x00\x00\x00\x00", 8) + "Body";
    nsftest::NsfBuilder builder;
    builder.title = "Built Title";
    builder.notes.push_back({0x0001,
                             std::string("\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF\x01", 16),
                             {{"Form", 0x0500, 0, "Memo"},
                              {"Subject", 0x0500, 0, longText},
                              {"Count", 0x0300, 0, std::string(reinterpret_cast<const char*>(&count), 8)},
                              {"When", 0x0400, 0, le(6120700, 4) + le(2459128, 4)},
                              {"Body", 0x0001, 0, richText}}});
    const std::string format = le(0x0201, 2) + le(1, 2) + std::string(6, '\0') + le(0x4356, 2) + le(1, 2) + le(7, 2) +
                               le(5, 2) + le(0, 2) + le(0, 2) + std::string(20, '\0') + "Subject" + "Title";
    builder.notes.push_back(
        {0x0008, std::string(16, '\x07'), {{"$TITLE", 0x0500, 0, "Main|M"}, {"$VIEWFORMAT", 0x0005, 0, format}}});
    QTemporaryDir dir;
    const QString path = dir.filePath("built.nsf");
    const auto write = [&](const nsftest::NsfBuilder& b) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QByteArray::fromStdString(b.build()));
    };
    // Every other layout the reader meets: compressed blocks, two superblocks of which the newer
    // counts, the bucket list in a page of its own, a note at a file position of its own,
    // non-summary values in a block and inline.
    nsftest::NsfBuilder other = builder;
    other.compressed = other.twoSuperblocks = other.pageOutOfLine = true;
    other.notes[0].atFilePosition = true;
    other.notes[0].items.push_back({"Notes", 0x0500, 0, "in a block", true});
    nsftest::BuiltNote inlined = {
        0x0001, std::string(16, '\x09'), {{"Form", 0x0500, 0, "Memo"}, {"Inline", 0x0500, 0, "inline", true}}};
    inlined.nonSummary = nsftest::BuiltNote::NonSummary::Inline;
    other.notes.push_back(inlined);
    write(other);
    const Read layouts = ReadAll(fs::path(path.toStdU16String()));
    ASSERT_EQ(layouts.notes.size(), 3u);
    EXPECT_EQ(TextOf(layouts.notes[0], u"Subject"), std::u16string(700, u'x') + u"中");
    EXPECT_EQ(TextOf(layouts.notes[0], u"Notes"), u"in a block");
    EXPECT_EQ(TextOf(layouts.notes[2], u"Inline"), u"inline");

    write(builder);
    const Read read = ReadAll(fs::path(path.toStdU16String()));
    EXPECT_EQ(read.info.title, u"Built Title");
    ASSERT_EQ(read.notes.size(), 2u);
    const nsf::Note& doc = read.notes[0];
    EXPECT_EQ(doc.unid, "8877665544332211"
                        "01FFEEDDCCBBAA99");
    EXPECT_EQ(TextOf(doc, u"Subject"), std::u16string(700, u'x') + u"中") << "the stamped sectors are undone";
    EXPECT_EQ(ValuesOf(doc, u"count"), std::vector<nsf::Value>{3.5});
    EXPECT_EQ(nsf::TimeText(std::get<nsf::Time>(ValuesOf(doc, u"When").front())), "2020-10-05T17:00:07Z");
    EXPECT_EQ(nsf::DecodeRichText(doc.find(u"Body")->value).paragraphs, std::vector<std::u16string>{u"Body"});

    const fs::path target = fs::path(dir.filePath("imported.nsf").toStdU16String());
    const auto report = importer::Import({fs::path(path.toStdU16String())}, target, false);
    EXPECT_EQ(report.documents, 1);
    const auto db = store::OpenDatabaseFile(target);
    const auto views = store::LoadViews(db);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].name, u"Main");
    EXPECT_EQ(views[0].alias, u"M");
    ASSERT_EQ(views[0].columns.size(), 1u);
    EXPECT_EQ(views[0].columns[0].item, u"Subject");
    EXPECT_EQ(views[0].columns[0].sort, store::sort_order::kAscending);
}

namespace {

// Writes a built database to dir/name and imports it; the store database's path beside it.
struct BuiltImport {
    QTemporaryDir dir;
    fs::path source, target;
    importer::ImportReport report;

    explicit BuiltImport(const nsftest::NsfBuilder& builder) {
        source = fs::path(dir.filePath("built.nsf").toStdU16String());
        target = fs::path(dir.filePath("store.nsf").toStdU16String());
        QFile out(dir.filePath("built.nsf"));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(builder.build()));
        out.close();
        report = importer::Import({source}, target, false);
    }
    bool reports(const std::string& part) const {
        return std::any_of(report.notes.begin(), report.notes.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
};

} // namespace

// Attachments (plain, Huffman, one whose checksum is damaged), pictures (a GIF across two items
// of one field, a PNG) and a MIME message whose text part the object store keeps, from a database
// built to the format's description; the probe, a second reader, reads the same attachments.
TEST(NsfImport, AttachmentsPicturesAndMimeOfABuiltDatabase) {
    using nsftest::BuiltItem;
    nsftest::NsfBuilder builder;
    const std::string plain = "plain text attachment", packed = std::string(3000, 'a') + "Huffman coded end";
    const std::string gif = "GIF89a" + std::string(40, '\x11'), text = "The body kept in the object store.";
    std::string damaged = nsftest::HuffmanCompress("damaged");
    damaged[0] = static_cast<char>(damaged[0] ^ 1);
    builder.objects = {{0, plain, {}},
                       {0, nsftest::HuffmanCompress(packed), {}},
                       {0, damaged, {}},
                       {0, nsftest::HuffmanCompress(text), {}}};
    const auto image = nsftest::RichImage(1, gif, 16);
    const std::string unid(16, '\x21');
    builder.notes.push_back(
        {0x0001,
         unid,
         {{"Form", 0x0500, 0, "Memo"},
          {"$FILE", 0x0003, 0, nsftest::FileObjectValue("a.txt", builder.objectId(0), 0, plain.size())},
          {"$FILE", 0x0003, 0, nsftest::FileObjectValue("b.txt", builder.objectId(1), 1, packed.size())},
          {"$FILE", 0x0003, 0, nsftest::FileObjectValue("c.txt", builder.objectId(2), 1, 7)},
          {"Body", 0x0001, 0, nsftest::RichParagraph() + nsftest::RichText("Picture:") + image[0] + image[1], true},
          {"Body", 0x0001, 0, image[2] + image[3] + nsftest::RichImage(4, "PNGDATA!", 8)[0], true}}});
    builder.notes.push_back(
        {0x0001,
         std::string(16, '\x22'),
         {{"Form", 0x0500, 0, "Mail"},
          {"$FILE", 0x0003, 0, nsftest::FileObjectValue("m.txt", builder.objectId(3), 1, text.size())},
          {"Mime", 0x0019, 0, nsftest::MimePartValue(4, "--b\r\n", "Content-Type: text/plain\r\n\r\n", "m.txt"),
           true}}});
    const BuiltImport built(builder);
    EXPECT_EQ(built.report.attachments, 3) << importer::DescribeImport(built.report);
    EXPECT_EQ(built.report.pictures, 1);
    EXPECT_TRUE(built.reports("c.txt")) << "the damaged checksum is told";
    EXPECT_TRUE(built.reports("PNG"));
    EXPECT_GT(built.report.losses, 0);

    const auto db = store::OpenDatabaseFile(built.target);
    std::map<std::u16string, std::string> files;
    std::string richText, mime;
    for (int64_t id = 1; id < 10; ++id)
        if (auto note = store::LoadNote(db, id)) {
            for (const auto& file : note->files)
                files[file.name] = store::LoadFileBytes(db, file.fileId);
            if (const store::ItemData* body = note->findItem(u"Body"))
                richText = body->richText;
            if (const store::ItemData* part = note->findItem(u"Mime"))
                mime = QString::fromStdU16String(std::get<std::u16string>(part->values.front())).toStdString();
        }
    EXPECT_EQ(files[u"a.txt"], plain);
    EXPECT_EQ(files[u"b.txt"], packed);
    EXPECT_EQ(files.count(u"c.txt"), 0u) << "not written as if sound";
    EXPECT_NE(richText.find("<gif>" + QByteArray::fromStdString(gif).toBase64().left(20).toStdString()),
              std::string::npos);
    EXPECT_NE(mime.find(text), std::string::npos) << mime;

    // The probe reads the same attachments from the same file, with its own checks.
    const QString probe = QStringLiteral(VERDANIX_NSF_SAMPLES "/../../tools/nsfprobe.py");
    if (!QFile::exists(probe))
        return;
    QProcess run;
    run.start("/usr/bin/python3",
              {probe, QString::fromStdU16String(built.source.u16string()), "--brief", "--attachments"});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    EXPECT_EQ(out.count("checksum ok, size ok"), 2) << out.toStdString();
    EXPECT_EQ(out.count("checksum MISMATCH"), 1) << out.toStdString();
}

// Views and folders from a database built to the format's description: a folder lists the members
// its $FolderObject names; a view whose selection holds a word not understood lists what its
// stored index (one page, its note-id tree) lists, profile documents left out.
TEST(NsfImport, BuiltViewsTakeTheirIndexAndFoldersTheirMembers) {
    using nsftest::BuiltItem;
    const auto le = [](uint64_t value, size_t width) {
        std::string out;
        for (size_t i = 0; i < width; ++i)
            out.push_back(static_cast<char>(value >> (8 * i)));
        return out;
    };
    const auto put = [](std::string& bytes, size_t at, const std::string& value) {
        bytes.replace(at, value.size(), value);
    };
    nsftest::NsfBuilder builder;
    std::vector<std::string> unids;
    for (int i = 0; i < 4; ++i) {
        unids.push_back(std::string(15, '\x40') + static_cast<char>(0x41 + i));
        std::vector<BuiltItem> items{{"Form", 0x0500, 0, "Memo"}};
        if (i == 3)
            items.push_back({"$Name", 0x0500, 0, "$profile_x"});
        builder.notes.push_back({0x0001, unids.back(), items});
    }
    const auto id = [](size_t n) { return nsftest::NsfBuilder::kFirstId + 4 * static_cast<uint32_t>(n); };
    // The folder's members: documents 0 and 2, the entries at the end of its object.
    std::string members(20, '\0');
    for (size_t n : {0, 2})
        members += unids[n] + le(id(n), 4) + std::string(16, '\0');
    // The index: one 8 KB page, three node headers, the note-id tree's body listing 1, 2 and 3.
    std::string page(0x2000, '\0');
    put(page, 0, le(0, 2) + std::string("\0\xFF", 2) + le(0x2000, 2));
    for (size_t h = 0; h < 3; ++h) {
        std::string header(40, '\0');
        put(header, 0, "\xEE\xBB\x0D");
        header[3] = h == 2 ? 1 : 0;
        header[0x11] = 1;
        header[0x1A] = h == 2 ? 3 : 0;
        put(page, 0x20 + 0x28 * h, header);
    }
    const size_t body = 0x400;
    put(page, body, std::string("\0\3", 2) + le(0x200, 2) + le(4, 2));
    for (size_t i = 0; i < 3; ++i) {
        const size_t record = 0x100 + 16 * i;
        put(page, body + 0x12 + 20 * i, std::string(1, '\0') + le(record, 2) + std::string(2, '\0') + le(12, 2));
        put(page, body + record, le(id(i + 1), 4) + le(8, 2) + std::string(6, '\0'));
    }
    builder.rawBlocks = {page};
    std::string container(0xA0, '\0');
    put(container, 0x98, le(1, 4));
    container += le(nsftest::NsfBuilder::rawAt(0) / 256, 4) + le(0xFFFF, 2) + le(0, 2) + le(1, 4);
    builder.objects = {{0, members, {}}, {0, container, {}}};
    const auto object = [&](size_t k) { return le(0, 2) + le(nsftest::NsfBuilder::objectId(k), 4); };
    // A selection program: push item A, then a word not understood.
    const std::string unknown =
        le(14, 2) + le(0, 2) + le(12, 2) + le(5, 2) + le(1, 2) + "A" + std::string(1, '\0') + le(0x0247, 2);
    builder.notes.push_back(
        {0x0008,
         std::string(16, '\x61'),
         {{"$TITLE", 0x0500, 0, "Picked"}, {"$Flags", 0x0500, 0, "3PFY"}, {"$FolderObject", 0x0003, 0, object(0)}}});
    builder.notes.push_back({0x0008,
                             std::string(16, '\x62'),
                             {{"$TITLE", 0x0500, 0, "Indexed"},
                              {"$Formula", 0x0600, 0, unknown},
                              {"$ViewContainer", 0x0003, 0, object(1)}}});
    const BuiltImport built(builder);
    EXPECT_TRUE(built.reports("0x247")) << importer::DescribeImport(built.report);
    const auto db = store::OpenDatabaseFile(built.target);
    std::map<std::u16string, std::vector<std::u16string>> listed;
    for (const auto& view : store::LoadViews(db)) {
        auto rows = db.prepare("SELECT n.unid FROM view_entries e JOIN notes n ON n.note_id = e.note_id WHERE "
                               "e.view_id = ? ORDER BY n.unid");
        rows.bind(1, view.viewId);
        while (rows.step())
            listed[view.name].push_back(
                QString::fromUtf8(QByteArray::fromStdString(std::string(rows.bytes(0)))).toStdU16String());
    }
    const auto text = [](const std::string& unid) {
        const std::string hex = nsf::UnidText(nsf::Bytes(unid), 0);
        return std::u16string(hex.begin(), hex.end());
    };
    std::vector<std::u16string> folder{text(unids[0]), text(unids[2])}, index{text(unids[1]), text(unids[2])};
    std::sort(folder.begin(), folder.end());
    std::sort(index.begin(), index.end());
    EXPECT_EQ(listed[u"Picked"], folder);
    EXPECT_EQ(listed[u"Indexed"], index) << "document 3 is a profile document";
}

// Damage is told, never guessed past: a lost summary flag is repaired where one reading fits, a
// size that fits no reading makes its note unread, a record of another number no entry claims is
// kept, a file cut short says so first, and a file whose documents are all unreadable is refused.
TEST(NsfImport, DamageIsToldNotGuessed) {
    using nsftest::BuiltItem;
    nsftest::NsfBuilder builder;
    BuiltItem lost{"Form", 0x0500, 0, "Memo"};
    lost.summaryFlagLost = true;
    builder.notes.push_back({0x0001, std::string(16, '\x31'), {lost, {"Author", 0x0500, 0, "CN=A"}}});
    BuiltItem tooLong{"Subject", 0x0500, 0, "short"};
    tooLong.claimedSize = 4000;
    builder.notes.push_back({0x0001, std::string(16, '\x32'), {{"Form", 0x0500, 0, "Memo"}, tooLong}});
    nsftest::BuiltNote renumbered{0x0001, std::string(16, '\x33'), {{"Form", 0x0500, 0, "Memo"}}};
    renumbered.recordNoteId = 0x1234;
    builder.notes.push_back(renumbered);
    {
        const BuiltImport built(builder);
        EXPECT_EQ(built.report.documents, 2) << "the repaired one and the renumbered one";
        EXPECT_TRUE(built.reports("Form 的摘要标志"));
        EXPECT_TRUE(built.reports("0x1234"));
        EXPECT_TRUE(built.reports("不保留任何值"));
        const auto db = store::OpenDatabaseFile(built.target);
        bool found = false;
        for (int64_t id = 1; id < 10; ++id)
            if (auto note = store::LoadNote(db, id); note && note->findItem(u"Author")) {
                found = true;
                EXPECT_EQ(std::get<std::u16string>(note->findItem(u"Author")->values.front()), u"CN=A");
                EXPECT_EQ(note->form, u"Memo");
            }
        EXPECT_TRUE(found);
    }
    // Cut short: what lies in it is read, and the first line says why the rest is not.
    QTemporaryDir dir;
    const std::string whole = builder.build();
    const QString cut = dir.filePath("cut.nsf");
    {
        QFile out(cut);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(whole.substr(0, 0x9000)));
    }
    const auto report = importer::Import({fs::path(cut.toStdU16String())},
                                         fs::path(dir.filePath("cut-store.nsf").toStdU16String()), false);
    ASSERT_FALSE(report.notes.empty());
    EXPECT_NE(report.notes.front().find("截断"), std::string::npos) << report.notes.front();

    // No document readable at all: refused, as the command's status 7 says.
    nsftest::NsfBuilder broken;
    BuiltItem bad{"Form", 0x0500, 0, "Memo"};
    bad.claimedSize = 4000;
    broken.notes.push_back({0x0001, std::string(16, '\x34'), {bad}});
    try {
        BuiltImport refused(broken);
        ADD_FAILURE() << "imported";
    } catch (const importer::ImportError& e) {
        EXPECT_EQ(e.kind(), importer::ImportError::Kind::NothingRead);
    }
    // A .nsf that is neither a database nor DXL says so.
    const QString other = dir.filePath("other.nsf");
    {
        QFile out(other);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("just text");
    }
    try {
        importer::Import({fs::path(other.toStdU16String())}, fs::path(dir.filePath("o.nsf").toStdU16String()), false);
        ADD_FAILURE() << "imported";
    } catch (const importer::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("不是 Domino 数据库"), std::string::npos);
    }
}

// What large and compressed databases hold: blocks in pieces, a 63,488-byte bucket of 128 stamp
// nibbles, compressed values (one whose size is wrong), user names with 8 bytes after them.
TEST(NsfImport, LargeAndCompressedDatabasesLoseNothing) {
    using nsftest::BuiltItem;
    nsftest::NsfBuilder builder;
    builder.compressed = true;
    builder.pieces = 3;
    builder.bucketSize = 63488;
    const std::string rich = nsftest::RichParagraph() + nsftest::RichText("name: Robert Redford");
    std::string wrongSize = nsftest::CompressedValue(rich);
    ++wrongSize[0];
    for (char n = 0; n < 30; ++n)
        builder.notes.push_back(
            {0x0001,
             std::string(16, static_cast<char>('\x40' + n)),
             {{"Form", 0x0500, 0, "Memo"},
              {"From", 0x0700, 0, "CN=Old User/O=Org" + std::string("\x01\x80\0\0\xFF\x12\x34\x56", 8)},
              {"Filler", 0x0500, 0, std::string(1400, static_cast<char>('a' + n % 26))},
              {"Body", 0x0001, 0x8000, nsftest::CompressedValue(rich), true},
              {"Lost", 0x0001, 0x8000, wrongSize, true}}});
    const BuiltImport built(builder);
    EXPECT_EQ(built.report.documents, 30);
    EXPECT_EQ(built.report.losses, 30) << "each value of the wrong size, and nothing else";
    EXPECT_TRUE(built.reports("压缩值未能展开"));
    const auto db = store::OpenDatabaseFile(built.target);
    const auto note = store::LoadNote(db, 30);
    ASSERT_TRUE(note);
    EXPECT_EQ(std::get<std::u16string>(note->findItem(u"From")->values.front()), u"CN=Old User/O=Org");
    EXPECT_EQ(std::get<std::u16string>(note->findItem(u"Filler")->values.front()), std::u16string(1400, u'd'));
    EXPECT_NE(note->findItem(u"Body")->richText.find("Robert Redford"), std::string::npos);
}

// A damaged newest superblock leaves the older copy, and says so; a zeroed sector of a summary
// bucket loses the notes in it, told by note, and no value of theirs is kept.
TEST(NsfImport, DamagedBlocksAndSectorsAreFoundAndTold) {
    nsftest::NsfBuilder builder;
    builder.twoSuperblocks = builder.olderListsNotes = builder.compressed = true;
    builder.notes.push_back({0x0001, std::string(16, '\x51'), {{"Form", 0x0500, 0, "Memo"}}});
    builder.notes.push_back(
        {0x0001, std::string(16, '\x52'), {{"Form", 0x0500, 0, "Memo"}, {"Long", 0x0500, 0, std::string(1500, 'z')}}});
    builder.notes.push_back({0x0001, std::string(16, '\x53'), {{"Form", 0x0500, 0, "Memo"}}});
    const std::string sound = builder.build();
    constexpr size_t kNewestSuperblock = 0x400, kBucket = 0x4000;
    QTemporaryDir dir;
    const QString path = dir.filePath("damaged.nsf");
    const auto import = [&](const std::string& file) {
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QByteArray::fromStdString(file));
        out.close();
        return importer::Import({fs::path(path.toStdU16String())}, fs::path(dir.filePath("s.nsf").toStdU16String()),
                                false);
    };
    // A bit of a compressed piece (the trailer's checksum finds it), of the header's count of
    // pages (it no longer fits the body): either way the older copy, told.
    constexpr size_t kInPiece = nsf::disk::superblock::kHeaderSize + 9;
    for (const size_t at : {kInPiece, nsf::disk::superblock::kNonSummaryPages + 1}) {
        std::string file = sound;
        file[kNewestSuperblock + at] ^= 0x04;
        if (at == kInPiece)
            std::fill_n(file.begin() + kBucket + 512, 512, '\0'); // the second sector, in the second note only
        const auto report = import(file);
        const auto told = [&](const char* part) {
            return std::count_if(report.notes.begin(), report.notes.end(),
                                 [&](const std::string& line) { return line.find(part) != std::string::npos; });
        };
        EXPECT_EQ(told("较新的副本已损坏"), 1) << at;
        if (at != kInPiece)
            continue;
        EXPECT_EQ(report.documents, 2);
        EXPECT_EQ(report.losses, 2) << "the older copy, the note in the zeroed sector";
        EXPECT_EQ(told("扇区"), 1);
        EXPECT_EQ(told("0x8FA"), 1) << "the second note, by its id";
    }
}

TEST(NsfImport, ASampleBecomesAStoreDatabaseAndTheRealFileIsNeverATarget) {
    REQUIRE_SAMPLES();
    QTemporaryDir dir;
    const fs::path target = fs::path(dir.filePath("known.nsf").toStdU16String());
    const auto report = importer::Import({Sample("knowndt.nsf")}, target, false);
    EXPECT_EQ(report.documents, 2);
    EXPECT_EQ(report.views, 1);
    const auto db = store::OpenDatabaseFile(target);
    const auto views = store::LoadViews(db);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].name, u"All");
    EXPECT_EQ(views[0].selection, u"SELECT (@All) & @IsUnavailable($Name)") << "its compiled selection, read";
    std::optional<store::NoteData> doc;
    for (int64_t id = 1; id < 10 && !doc; ++id)
        if (auto note = store::LoadNote(db, id); note && note->unid == u"489CC69E9C1E96CB852585F8005A812C")
            doc = note;
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->form, u"Tester");
    const store::ItemData* foo = doc->findItem(u"foo");
    ASSERT_TRUE(foo);
    ASSERT_EQ(foo->values.size(), 1u);
    // Shown in this computer's time, as the mail program shows it.
    const QDateTime local = QDateTime(QDate(2020, 10, 5), QTime(17, 10, 7), Qt::UTC).toLocalTime();
    EXPECT_DOUBLE_EQ(std::get<OleDate>(foo->values.front()).value,
                     store::ToOleDate(local.date().year(), local.date().month(), local.date().day(),
                                      local.time().hour(), local.time().minute(), local.time().second()));

    // A real database file named as the target is left alone.
    const QString copy = dir.filePath("real.nsf");
    ASSERT_TRUE(QFile::copy(kSamples + "/signeddoc.nsf", copy));
    const fs::path real(copy.toStdU16String());
    EXPECT_THROW(importer::Import({Sample("knowndt.nsf")}, real, false), importer::ImportError);
    EXPECT_EQ(fs::file_size(real), fs::file_size(Sample("signeddoc.nsf")));
}

TEST(NsfImport, TheCacheIsReadAgainOnlyWhenTheFileChanges) {
    REQUIRE_SAMPLES();
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.nsf");
    ASSERT_TRUE(QFile::copy(kSamples + "/knowndt.nsf", copy));
    const fs::path source(copy.toStdU16String()), cache(dir.filePath("cache").toStdU16String());
    const auto first = importer::CacheDominoDatabase(source, cache);
    EXPECT_TRUE(first.readNow);
    EXPECT_GT(first.unread, 0u) << "the compiled formulas are reported";
    EXPECT_FALSE(importer::CacheDominoDatabase(source, cache).readNow);
    {
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
    }
    const auto again = importer::CacheDominoDatabase(source, cache);
    EXPECT_TRUE(again.readNow);
    EXPECT_EQ(again.file, first.file);
    // A file damaged since: refused, and the cache keeps what it had.
    ASSERT_TRUE(QFile::resize(copy, 1000));
    EXPECT_THROW(importer::CacheDominoDatabase(source, cache), importer::ImportError);
    EXPECT_NO_THROW(store::OpenDatabaseFile(first.file));

    // Read from the cache, a file tells as many things not read as when it was read: here more
    // than a few kilobytes of report (60 items of characters without a converter).
    nsftest::NsfBuilder builder;
    nsftest::BuiltNote note{0x0001, std::string(16, '\x51'), {{"Form", 0x0500, 0, "Memo"}}};
    for (int i = 0; i < 60; ++i)
        note.items.push_back({"Text" + std::to_string(i), 0x0500, 0, std::string("\x15\x01\x02", 3)});
    builder.notes.push_back(note);
    {
        QFile out(dir.filePath("many.nsf"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(builder.build()));
    }
    const fs::path many(dir.filePath("many.nsf").toStdU16String());
    const auto read = importer::CacheDominoDatabase(many, cache);
    ASSERT_GT(fs::file_size(read.report), 4096u);
    EXPECT_EQ(importer::CacheDominoDatabase(many, cache).unread, read.unread);
}

TEST(NsfReader, DamagedFilesGiveTheReadersErrorsOnly) {
    REQUIRE_SAMPLES();
    QFile sample(kSamples + "/sample.nsf");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray sound = sample.readAll();
    QTemporaryDir dir;
    const QString path = dir.filePath("damaged.nsf");
    QRandomGenerator random(20261207);
    for (int round = 0; round < 150; ++round) {
        QByteArray bytes = sound;
        if (round % 10 == 0) {
            bytes.truncate(random.bounded(sound.size()));
        } else {
            // Damage where the structures are: the header, the superblocks, and the buckets.
            for (int i = 0, n = 1 + random.bounded(8); i < n; ++i) {
                const int at = random.bounded(round % 3 == 0 ? 0x800 : bytes.size());
                bytes[at] = static_cast<char>(random.bounded(256));
            }
        }
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        try {
            ReadEveryNote(fs::path(path.toStdU16String()));
        } catch (const nsf::FormatError& e) {
            EXPECT_GT(std::string(e.what()).size(), 10u);
        }
    }
}
