// The parts of an .xlsx package, each on its own and byte for byte, and the zip container that
// holds them.
#include "xls/XlsxParts.h"
#include "xls/ByteSink.h"
#include "xls/CellPipe.h"
#include "xls/DeflateThread.h"
#include "xls/XlsError.h"
#include "xls/Zip.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes.at(at + i))) << (8 * i);
    return value;
}

uint16_t U16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(at)) | static_cast<uint8_t>(bytes.at(at + 1)) << 8);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(XlsxParts, WorkbookAndItsRelationshipsExactBytes) {
    EXPECT_EQ(xls::xlsx::WorkbookPart({"第一", "A&amp;B"}),
              std::string(kDeclaration) +
                  "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                  "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                  "<sheet name=\"第一\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"A&amp;B\" sheetId=\"2\" "
                  "r:id=\"rId2\"/></sheets></workbook>");
    EXPECT_EQ(xls::xlsx::WorkbookRelationships(1),
              std::string(kDeclaration) +
                  "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                  "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
                  "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                  "Target=\"styles.xml\"/></Relationships>");
    EXPECT_EQ(xls::xlsx::PackageRelationships(),
              std::string(kDeclaration) +
                  "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                  "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
}

TEST(XlsxParts, ContentTypesAndStylesNameWhatThePackageHolds) {
    const std::string types = xls::xlsx::ContentTypes(3);
    EXPECT_EQ(types.rfind(kDeclaration, 0), 0u);
    EXPECT_EQ(Count(types, "worksheet+xml"), 3u);
    EXPECT_NE(types.find("PartName=\"/xl/worksheets/sheet3.xml\""), std::string::npos);
    EXPECT_EQ(types.find("sheet4.xml"), std::string::npos);
    EXPECT_EQ(Count(types, "PartName=\"/xl/styles.xml\""), 1u);
    const std::string styles = xls::xlsx::Styles();
    EXPECT_NE(styles.find("<cellXfs count=\"2\"><xf numFmtId=\"0\""), std::string::npos) << "format 0 the default";
    EXPECT_NE(styles.find("<xf numFmtId=\"49\""), std::string::npos) << "format 1 the text format @";
}

TEST(XlsxZip, EntriesDirectoryAndEndRecordReadBack) {
    xls::StringSink sink;
    xls::ZipWriter zip(sink);
    std::string content;
    for (int i = 0; i < 1000; ++i)
        content += "row " + std::to_string(i) + "\n";
    zip.add("a.xml", content);
    zip.add("b/c.txt", "hello");
    zip.finish();
    const std::string& bytes = sink.bytes();

    ASSERT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_EQ(U16(bytes, 8), 8) << "deflate";
    EXPECT_EQ(U32(bytes, 14), crc32(0, reinterpret_cast<const Bytef*>(content.data()), content.size()));
    const uint32_t compressed = U32(bytes, 18);
    EXPECT_EQ(U32(bytes, 22), content.size());
    EXPECT_EQ(bytes.substr(30, U16(bytes, 26)), "a.xml");
    // The entry's data inflates back to the content.
    std::string inflated(content.size(), '\0');
    z_stream stream{};
    ASSERT_EQ(inflateInit2(&stream, -15), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + 30 + 5 + U16(bytes, 28)));
    stream.avail_in = compressed;
    stream.next_out = reinterpret_cast<Bytef*>(inflated.data());
    stream.avail_out = static_cast<uInt>(inflated.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    inflateEnd(&stream);
    EXPECT_EQ(inflated, content);

    // The end record: two entries, and a central directory where it says, naming both.
    const size_t end = bytes.size() - 22;
    ASSERT_EQ(bytes.substr(end, 4), std::string("PK\x05\x06", 4));
    EXPECT_EQ(U16(bytes, end + 10), 2);
    const uint32_t directory = U32(bytes, end + 16);
    EXPECT_EQ(directory + U32(bytes, end + 12), end);
    EXPECT_EQ(bytes.substr(directory, 4), std::string("PK\x01\x02", 4));
    EXPECT_EQ(bytes.substr(directory + 46, 5), "a.xml");
    EXPECT_EQ(Count(bytes.substr(directory), "b/c.txt"), 1u);
}

TEST(XlsxZip, DeflateThreadMakesOneThreadsBytesAndKeepsAFailure) {
    std::string chunkText;
    for (int i = 0; i < 3000; ++i)
        chunkText += "<c r=\"A" + std::to_string(i) + "\"/>";
    std::string alone, threaded;
    xls::Deflater one(
        [&](const uint8_t* data, size_t size) { alone.append(reinterpret_cast<const char*>(data), size); });
    xls::Deflater two(
        [&](const uint8_t* data, size_t size) { threaded.append(reinterpret_cast<const char*>(data), size); });
    {
        xls::DeflateThread deflating;
        for (int i = 0; i < 40; ++i) {
            std::string chunk = chunkText + std::to_string(i);
            one.write(chunk);
            deflating.write(two, chunk);
            EXPECT_TRUE(chunk.empty());
        }
        one.finish();
        deflating.finish(two);
        deflating.wait();
    }
    EXPECT_EQ(threaded, alone);
    EXPECT_EQ(two.crc(), one.crc());
    EXPECT_EQ(two.sizeIn(), one.sizeIn());

    // A stream whose bytes cannot be kept: the failure comes out, and keeps coming out.
    xls::Deflater broken([](const uint8_t*, size_t) { throw xls::Error(xls::Error::Code::Io, "disk full"); });
    xls::DeflateThread deflating;
    std::string chunk = chunkText;
    EXPECT_THROW(
        {
            for (int i = 0; i < 100; ++i, chunk = chunkText)
                deflating.write(broken, chunk);
            deflating.finish(broken);
            deflating.wait();
        },
        xls::Error);
    EXPECT_THROW(deflating.wait(), xls::Error);
}

TEST(XlsxZip, ACellPipeTakesNoTextAfterAFailedOne) {
    // Row 3 after row 5 fails on the pipe's thread; the texts handed over after it (in a later
    // batch) must not be written, so that the workbook saved after the failure holds what came
    // before it and no more.
    const std::string path = testing::TempDir() + "pipe_after_failure.xlsx";
    {
        xls::CellPipe<xls::XlsxWorkbook> pipe;
        int raised = 0;
        const auto call = [&](auto&& f) {
            try {
                f();
            } catch (const xls::Error&) {
                ++raised;
            }
        };
        call([&] { pipe.setText(4, 0, u"before"); });
        call([&] { pipe.setText(2, 0, u"out of order"); });
        for (uint32_t i = 0; i < 20000; ++i) // past one batch
            call([&] { pipe.setText(10 + i, 0, u"x"); });
        call([&] { pipe.setText(100000, 0, u"after"); });
        call([&] { pipe.book(); });
        EXPECT_EQ(raised, 1);
        EXPECT_THROW(pipe.book(), xls::Error) << "a failure stays";
        pipe.bookAsWritten().save(path);
    }
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path); // the shared temporary folder keeps nothing of the test
    const std::string name = "xl/worksheets/sheet1.xml";
    size_t at = bytes.find(std::string("PK\x03\x04", 4));
    while (at != std::string::npos && bytes.substr(at + 30, U16(bytes, at + 26)) != name)
        at = bytes.find(std::string("PK\x03\x04", 4), at + 4);
    ASSERT_NE(at, std::string::npos);
    std::string xml(U32(bytes, at + 22), '\0');
    z_stream stream{};
    ASSERT_EQ(inflateInit2(&stream, -15), Z_OK);
    stream.next_in =
        reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + at + 30 + name.size() + U16(bytes, at + 28)));
    stream.avail_in = U32(bytes, at + 18);
    stream.next_out = reinterpret_cast<Bytef*>(xml.data());
    stream.avail_out = static_cast<uInt>(xml.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    inflateEnd(&stream);
    EXPECT_NE(xml.find(">before<"), std::string::npos);
    EXPECT_EQ(xml.find(">after<"), std::string::npos);
}
