// The workbook writer's pieces: the shared string table's record splitting, the compound file's
// allocation tables, the record order of a whole workbook, limits, and saving.
#include "BiffReader.h"
#include "support/SharedStrings.h"

#include "interfaces/FileSystem.h"
#include "xls/CompoundFile.h"
#include "xls/FileSink.h"
#include "xls/Sst.h"
#include "xls/Workbook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace xlstest;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

// Decodes an SST written alone into a stream, checking the rules a reader relies on: no piece
// over 8224 bytes, string headers never split (the decoder throws), a continued string's piece
// starting with its flags byte, no surrogate pair split, and EXTSST pointing at string headers.
std::vector<std::u16string> DecodeSst(const std::string& stream, uint32_t* cellCount = nullptr) {
    std::vector<Record> pieces;
    size_t at = 0;
    while (at < stream.size()) {
        const auto type = static_cast<uint16_t>(U16(stream, at));
        const size_t size = U16(stream, at + 2);
        EXPECT_LE(size, 8224u);
        pieces.push_back({type, stream.substr(at + 4, size), at});
        at += 4 + size;
    }
    EXPECT_EQ(pieces.front().type, 0x00FC);
    EXPECT_EQ(pieces.back().type, 0x00FF);
    const Record extsst = pieces.back();
    pieces.pop_back();
    for (size_t i = 1; i < pieces.size(); ++i)
        EXPECT_EQ(pieces[i].type, 0x003C);

    if (cellCount)
        *cellCount = U32(pieces[0].data, 0);
    const uint32_t count = U32(pieces[0].data, 4);
    std::vector<std::string> records;
    for (const Record& piece : pieces)
        records.push_back(piece.data);
    const SharedStrings table = DecodeSharedStrings(records);
    for (const auto& c : table.continuations) {
        EXPECT_FALSE(c.lastUnit >= 0xD800 && c.lastUnit <= 0xDBFF)
            << "surrogate pair split across records in string " << c.string;
        EXPECT_EQ(c.wideAfter, c.wideBefore) << "continued string changes encoding";
    }
    EXPECT_EQ(table.endRecord + 1, pieces.size());
    EXPECT_EQ(table.endOffset, pieces.back().data.size());
    std::vector<uint64_t> headerOffsets;
    for (const auto& [record, pos] : table.headers)
        headerOffsets.push_back(pieces[record].offset + 4 + pos);

    const uint32_t perBucket = U16(extsst.data, 0);
    EXPECT_EQ(perBucket, std::max<uint32_t>(count / 128 + 1, 8));
    EXPECT_EQ(extsst.data.size(), 2 + 8 * ((count + perBucket - 1) / perBucket));
    for (size_t b = 0; 2 + 8 * b < extsst.data.size(); ++b) {
        const uint64_t offset = U32(extsst.data, 2 + 8 * b);
        EXPECT_EQ(offset, headerOffsets.at(b * perBucket)) << "bucket " << b;
        const uint64_t recordStart = offset - U16(extsst.data, 6 + 8 * b);
        EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(), [&](const Record& r) { return r.offset == recordStart; }))
            << "bucket " << b << " record offset";
    }
    return table.strings;
}

std::string WriteSst(const std::vector<std::u16string>& texts, uint32_t cells = 0) {
    xls::StringTable table;
    for (const auto& t : texts)
        table.add(t);
    xls::StringSink sink;
    xls::RecordWriter out(sink);
    table.write(out, cells);
    return sink.bytes();
}

std::u16string Repeat(std::u16string_view part, size_t times) {
    std::u16string out;
    for (size_t i = 0; i < times; ++i)
        out += part;
    return out;
}

constexpr std::u16string_view kPair = u"\U0001F600";

} // namespace

TEST(XlsStringTable, SmallTableExactBytes) {
    const std::string bytes = WriteSst({u"ab", u"中", u"ab"}, 3);
    const std::string expected = Bytes({0xFC, 0x00, 18, 0,                            // SST, 18 bytes
                                        3,    0,    0,  0,    2,    0, 0,  0,         // 3 cells, 2 strings
                                        2,    0,    0,  'a',  'b',                    // compressed
                                        1,    0,    1,  0x2D, 0x4E,                   // UTF-16LE
                                        0xFF, 0x00, 10, 0,                            // EXTSST
                                        8,    0,    12, 0,    0,    0, 12, 0, 0, 0}); // 8 per bucket; string 0
    EXPECT_EQ(bytes, expected);
}

TEST(XlsStringTable, DeduplicatesAndCutsLongTexts) {
    xls::StringTable table;
    EXPECT_EQ(table.add(u"same"), 0u);
    EXPECT_EQ(table.add(u"other"), 1u);
    EXPECT_EQ(table.add(std::u16string(u"same")), 0u);
    EXPECT_EQ(table.add(u"Same"), 2u);

    const std::u16string longText = Repeat(u"x", 40000);
    const uint32_t cut = table.add(longText);
    EXPECT_EQ(table.text(cut), longText.substr(0, 32767));
    EXPECT_EQ(table.add(longText.substr(0, 32767)), cut) << "the cut text is the stored text";

    // A surrogate pair at the cut is dropped whole, never halved.
    const std::u16string pairs = Repeat(kPair, 20000);
    EXPECT_EQ(table.text(table.add(pairs)).size(), 32766u);
    EXPECT_EQ(table.text(table.add(u"x" + pairs)).size(), 32767u);
}

TEST(XlsStringTable, LoneSurrogatesBecomeReplacementCharacters) {
    xls::StringTable table;
    const std::u16string lone[] = {u"a" + std::u16string(1, 0xD800) + u"b", u"a" + std::u16string(1, 0xDC00) + u"b"};
    EXPECT_EQ(table.text(table.add(lone[0])), u"a\uFFFDb");
    EXPECT_EQ(table.add(lone[1]), table.add(u"a\uFFFDb"));
    const std::u16string endsHigh = std::u16string(kPair) + std::u16string(1, 0xD83D);
    EXPECT_EQ(table.text(table.add(endsHigh)), std::u16string(kPair) + u"\uFFFD") << "pairs stay as they are";
}

// Strings whose split points fall on every case the record rules treat differently.
TEST(XlsStringTable, SplitsIntoContinueRecords) {
    struct Case {
        const char* name;
        std::vector<std::u16string> texts;
        std::vector<size_t> pieceSizes; // expected data sizes of SST and CONTINUE records
    };
    const std::vector<Case> cases = {
        // 8 + 3 + 8213 = 8224: the next string starts the CONTINUE with its header.
        {"ends at record end", {Repeat(u"e", 8213), u"n"}, {8224, 4}},
        // Two bytes left: not enough for a header, the string moves on.
        {"header does not fit", {Repeat(u"e", 8211), u"nn"}, {8222, 5}},
        // Three bytes left: a header without a character is not started there.
        {"no room for a character", {Repeat(u"e", 8210), u"nn"}, {8221, 5}},
        // Compressed text split: the CONTINUE starts with flags 0.
        {"compressed split", {Repeat(u"c", 9000)}, {8224, 1 + 9000 - 8213}},
        // UTF-16 split at a unit boundary: 8213 bytes hold 4106 units.
        {"wide split", {Repeat(u"中", 5000)}, {8223, 1 + 2 * (5000 - 4106)}},
        // Wide text with a pair at the split: 4106 units would halve the pair at units 4105-4106.
        {"pair at split", {u"x" + Repeat(kPair, 3000)}, {8221, 1 + 2 * (6001 - 4105)}},
        {"pair after split", {Repeat(kPair, 3000)}, {8223, 1 + 2 * (6000 - 4106)}},
        {"many records", {Repeat(u"m", 32767)}, {8224, 8224, 8224, 1 + 32767 - 8213 - 2 * 8223}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = WriteSst(c.texts);
        EXPECT_EQ(DecodeSst(bytes), c.texts);
        std::vector<size_t> sizes;
        for (size_t at = 0; U16(bytes, at) != 0x00FF; at += 4 + U16(bytes, at + 2))
            sizes.push_back(U16(bytes, at + 2));
        EXPECT_EQ(sizes, c.pieceSizes);
    }
}

TEST(XlsStringTable, RandomTextsRoundTrip) {
    std::mt19937 random(12345);
    const std::u16string alphabet[] = {u"a",          u"Z",          u"\u00E9",
                                       u"\u00FF",     u"\u4E2D",     u"\u0100",
                                       u"\U0001F600", u"\U00020000", std::u16string(1, u'\0'),
                                       u"\x01"};
    std::vector<std::u16string> texts;
    for (int i = 0; i < 3000; ++i) {
        const bool ascii = random() % 2;
        const size_t length = random() % (random() % 8 == 0 ? 12000 : 40);
        std::u16string text;
        while (text.size() < length)
            text += alphabet[ascii ? random() % 2 : random() % std::size(alphabet)];
        texts.push_back(text);
    }
    std::vector<std::u16string> unique;
    for (const auto& t : texts)
        if (std::find(unique.begin(), unique.end(), t) == unique.end())
            unique.push_back(t);
    uint32_t cells = 0;
    EXPECT_EQ(DecodeSst(WriteSst(texts, 4242), &cells), unique);
    EXPECT_EQ(cells, 4242u);
}

TEST(XlsCompoundFile, AllocationTableSizes) {
    struct Case {
        uint64_t streamBytes;
        uint32_t fat, difat, streamSectors;
        uint64_t fileSize;
    };
    const Case cases[] = {
        {0, 1, 0, 8, 512 * 11},
        {4095, 1, 0, 8, 512 * 11},
        {4096, 1, 0, 8, 512 * 11},
        {4097, 1, 0, 9, 512 * 12},
        {7087104, 109, 0, 13842, 7143936},
        {7087105, 110, 1, 13843, 7143936 + 3 * 512},
        // 236 FAT sectors fit one DIFAT sector; one more needs a second.
        {512ull * (236 * 128 - 236 - 1 - 1), 236, 1, 236 * 128 - 238, 512ull * (236 * 128 + 1)},
        {512ull * (236 * 128 - 236 - 1 - 1) + 1, 237, 2, 236 * 128 - 237, 512ull * (236 * 128 + 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.streamBytes);
        const xls::CompoundFile file(c.streamBytes);
        EXPECT_EQ(file.fatSectors(), c.fat);
        EXPECT_EQ(file.difatSectors(), c.difat);
        EXPECT_EQ(file.streamSectors(), c.streamSectors);
        EXPECT_EQ(file.fileSize(), c.fileSize);
    }
    EXPECT_THROW(xls::CompoundFile(0x100000000ull), xls::Error);
}

TEST(XlsCompoundFile, ChainsAreConsistent) {
    for (uint64_t size : {100ull, 7087105ull, 512ull * 236 * 128}) {
        SCOPED_TRACE(size);
        const xls::CompoundFile file(size);
        xls::StringSink sink;
        file.writeHead(sink);
        for (uint64_t i = 0; i < size; ++i)
            sink.u8(static_cast<uint8_t>(i * 13 + 5));
        file.writeTail(sink);
        const std::string& bytes = sink.bytes();
        ASSERT_EQ(bytes.size(), file.fileSize());

        const Container c = ReadContainer(bytes);
        ASSERT_EQ(c.stream.size(), std::max<uint64_t>(size, 4096));
        for (uint64_t i = 0; i < size; i += 997)
            ASSERT_EQ(static_cast<uint8_t>(c.stream[i]), static_cast<uint8_t>(i * 13 + 5)) << i;
        // Every FAT and DIFAT sector is marked as such; nothing past the file is allocated.
        for (uint32_t n : c.fatSectorNumbers)
            EXPECT_EQ(c.fat.at(n), 0xFFFFFFFDu);
        uint32_t difat = 0;
        for (uint64_t n = 0; n < c.fat.size(); ++n) {
            difat += c.fat[n] == 0xFFFFFFFC;
            if (n >= bytes.size() / 512 - 1) {
                EXPECT_EQ(c.fat[n], 0xFFFFFFFFu) << n;
            }
        }
        EXPECT_EQ(difat, c.difatSectors);
    }
}

TEST(XlsWorkbook, StreamLayout) {
    xls::Workbook book;
    book.setColumnWidth(2, 14);
    book.setText(3, 5, u"late");
    book.setText(1, 4, u"b");
    book.setText(1, 1, u"a");
    book.setTextFormat(1, 4);
    book.setTextFormat(2, 7); // formatted, never filled: a BLANK
    book.setText(1, 2, u"x");
    book.setText(1, 2, u""); // emptied: nothing
    xls::StringSink sink;
    book.write(sink);
    const std::vector<Record> records = ReadRecords(ReadContainer(sink.bytes()).stream);

    std::vector<uint16_t> types;
    uint64_t sheetBof = 0;
    for (const Record& r : records) {
        types.push_back(r.type);
        if (r.type == 0x0809 && r.offset > 0)
            sheetBof = r.offset;
    }
    std::vector<uint16_t> expected = {0x0809, 0x0042, 0x003D};
    expected.insert(expected.end(), 5, 0x0031);
    expected.insert(expected.end(), 17, 0x00E0);
    const std::vector<uint16_t> rest = {0x0293, 0x0085, 0x00FC, 0x00FF, 0x000A, 0x0809, 0x0081, 0x007D, 0x0200,
                                        0x0208, 0x00FD, 0x00FD, 0x0208, 0x0201, 0x0208, 0x00FD, 0x023E, 0x000A};
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(types, expected);

    const Record& boundSheet = records[26];
    EXPECT_EQ(U32(boundSheet.data, 0), sheetBof);
    const Record& sst = records[27];
    EXPECT_EQ(U32(sst.data, 0), 3u) << "cells referring to the table";
    EXPECT_EQ(records[32].data, Bytes({2, 0, 2, 0, 0xB6, 0x0E, 15, 0, 2, 0, 0, 0}));          // COLINFO
    EXPECT_EQ(records[33].data, Bytes({1, 0, 0, 0, 4, 0, 0, 0, 1, 0, 8, 0, 0, 0}));           // DIMENSIONS
    EXPECT_EQ(records[34].data, Bytes({1, 0, 1, 0, 5, 0, 0xFF, 0, 0, 0, 0, 0, 0, 1, 15, 0})); // ROW 2
    EXPECT_EQ(records[35].data, Bytes({1, 0, 1, 0, 15, 0, 2, 0, 0, 0}));                      // B2 "a"
    EXPECT_EQ(records[36].data, Bytes({1, 0, 4, 0, 16, 0, 1, 0, 0, 0}));                      // E2 "b", "@"
    EXPECT_EQ(records[38].data, Bytes({2, 0, 7, 0, 16, 0}));                                  // H3 blank, "@"
}

TEST(XlsWorkbook, LimitsAreErrors) {
    struct Case {
        uint32_t row, column;
        xls::Error::Code code;
        const char* named;
    };
    const Case cases[] = {
        {65536, 0, xls::Error::Code::RowLimit, "65536"},
        {0xFFFFFFFF, 0, xls::Error::Code::RowLimit, "65536"},
        {0, 256, xls::Error::Code::ColumnLimit, "256"},
        {70000, 300, xls::Error::Code::RowLimit, "65536"},
    };
    xls::Workbook book;
    for (const Case& c : cases) {
        for (int call = 0; call < 2; ++call) {
            try {
                if (call == 0)
                    book.setText(c.row, c.column, u"x");
                else
                    book.setTextFormat(c.row, c.column);
                ADD_FAILURE() << c.row << "," << c.column << " accepted";
            } catch (const xls::Error& e) {
                EXPECT_EQ(e.code(), c.code);
                EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
            }
        }
    }
    EXPECT_NO_THROW(book.setText(65535, 255, u"last"));
    EXPECT_THROW(book.setColumnWidth(256, 10), xls::Error);
    for (double width : {-1.0, 255.5, std::nan("")}) {
        try {
            book.setColumnWidth(0, width);
            ADD_FAILURE() << width << " accepted";
        } catch (const xls::Error& e) {
            EXPECT_EQ(e.code(), xls::Error::Code::ColumnWidth);
            EXPECT_NE(std::string(e.what()).find("255"), std::string::npos) << e.what();
        }
    }
}

TEST(XlsWorkbook, MillionShortCellsStayCompact) {
    xls::Workbook book;
    char16_t text[16];
    for (uint32_t i = 0; i < 1000000; ++i) {
        size_t n = 0;
        for (uint32_t v = i; n == 0 || v > 0; v /= 10)
            text[n++] = static_cast<char16_t>(u'0' + v % 10);
        book.setText(i / 16, i % 16, std::u16string_view(text, n));
    }
    EXPECT_EQ(book.distinctTexts(), 1000000u);
    EXPECT_LT(book.memoryUsage(), 150u * 1000 * 1000);
}

class XlsSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("xls-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path m_folder;
};

TEST_F(XlsSaveTest, ReplacesFileAndLeavesNothingElse) {
    const auto path = m_folder / "工作簿.xls";
    { std::ofstream(path) << "old"; }
    xls::Workbook book;
    book.setText(0, 0, u"new");
    book.save(path);
    EXPECT_EQ(files(), std::vector<std::string>{"工作簿.xls"});
    xls::StringSink expected;
    book.write(expected);
    EXPECT_EQ(read(path), expected.bytes());
}

TEST_F(XlsSaveTest, FailuresNameThePathAndReason) {
    xls::Workbook book;
    book.setText(0, 0, u"x");
    const auto missing = m_folder / "no such folder" / "out.xls";
    try {
        book.save(missing);
        FAIL() << "saved into a missing folder";
    } catch (const xls::Error& e) {
        EXPECT_EQ(e.code(), xls::Error::Code::Io);
        EXPECT_NE(std::string(e.what()).find(PathText(missing)), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
    }

    // The target is a folder: the rename fails and the temporary file goes.
    std::filesystem::create_directory(m_folder / "taken.xls");
    EXPECT_THROW(book.save(m_folder / "taken.xls"), xls::Error);
    EXPECT_EQ(files(), std::vector<std::string>{"taken.xls"});
}

#ifndef _WIN32
TEST_F(XlsSaveTest, WriteFailureKeepsTheOldFile) {
    const auto path = m_folder / "out.xls";
    { std::ofstream(path) << "old"; }
    xls::Workbook book;
    for (uint32_t r = 0; r < 20000; ++r)
        book.setText(r, 0, u"row " + std::u16string(1, static_cast<char16_t>(u'A' + r % 26)) + u"!");

    // A file size limit makes the write fail part way, as a full disk would.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 64 * 1024;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string message;
    try {
        book.save(path);
    } catch (const xls::Error& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_NE(message.find(PathText(path)), std::string::npos) << message;
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
    EXPECT_EQ(read(path), "old");
    EXPECT_EQ(files(), std::vector<std::string>{"out.xls"});
}
#endif
