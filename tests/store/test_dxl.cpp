// DXL export: the document's items, and rich-text pictures exactly as the picture extraction
// looks for them.
#include "StoreFixture.h"

#include "store/Description.h"
#include "store/Dxl.h"
#include "store/Fragment.h"
#include "store/Images.h"
#include "store/OleTime.h"

#include <QByteArray>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdlib>
#include <regex>

using namespace storetest;

namespace {

store::IndexedImage Stripes(int width, int height) {
    store::IndexedImage image;
    image.width = width;
    image.height = height;
    image.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back(static_cast<uint8_t>((x * 7 + y * 13 + (x * y * 31 + y) % 11) % 5));
    return image;
}

std::vector<uint8_t> Noise(int width, int height) {
    std::vector<uint8_t> rgb;
    unsigned state = 1;
    for (int i = 0; i < width * height * 3; ++i) {
        state = state * 1103515245 + 12345;
        rgb.push_back(static_cast<uint8_t>(state >> 16));
    }
    return rgb;
}

// The payloads between each occurrence of open and the next close, as a text search finds them.
std::vector<std::string> Payloads(const std::string& dxl, const std::string& open, const std::string& close) {
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = dxl.find(open, at)) != std::string::npos) {
        const size_t end = dxl.find(close, at + open.size());
        if (end == std::string::npos)
            break;
        out.push_back(dxl.substr(at + open.size(), end - at - open.size()));
        at = end;
    }
    return out;
}

std::string Decode(const std::string& base64) {
    return QByteArray::fromBase64(QByteArray::fromStdString(base64)).toStdString();
}

// DXL's layout of base64: a line feed, full lines of 76, the last line, a line feed.
void ExpectDxlBase64Layout(const std::string& payload) {
    ASSERT_GE(payload.size(), 2u);
    EXPECT_EQ(payload.front(), '\n');
    EXPECT_EQ(payload.back(), '\n');
    size_t start = 1;
    while (start < payload.size()) {
        const size_t end = payload.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        const size_t length = end - start;
        if (end + 1 < payload.size())
            EXPECT_EQ(length, 76u);
        else
            EXPECT_TRUE(length > 0 && length <= 76);
        start = end + 1;
    }
    EXPECT_EQ(payload.find('\r'), std::string::npos);
}

class DxlTest : public StoreTest {
protected:
    std::string exportDoc(const std::u16string& unid, bool convert) {
        auto session = localSession();
        auto doc = session->GetDatabase(u"", u"a.nsf", false)->GetDocumentByUNID(unid);
        auto exporter = session->CreateDXLExporter();
        exporter->SetConvertNotesBitmapsToGIF(convert);
        return Utf16ToUtf8(exporter->Export(Variant(std::static_pointer_cast<IDispatchObject>(doc))));
    }
};

TEST_F(DxlTest, PicturesOfEachKind) {
    const std::string bigGif = store::EncodeGif(Stripes(200, 150));
    const std::string smallGif = store::EncodeGif(Stripes(4, 4));
    const std::string jpeg = store::EncodeJpeg(120, 90, Noise(120, 90));
    const std::string bitmap = store::EncodeBmp(Stripes(160, 100));
    const std::string png = "\x89PNG\r\n\x1a\nnot a real png but kept as it is";
    ASSERT_GT(bigGif.size() * 4 / 3, 2500u);
    store::RichTextBuilder body;
    body.addParagraph(u"Pictures <gif> & more");
    body.addPicture("jpeg", jpeg, 120, 90);
    body.addPicture("notesbitmap", bitmap, 160, 100);
    body.addPicture("gif", bigGif, 200, 150);
    body.addPicture("gif", smallGif, 4, 4);
    body.addPicture("png", png, 1, 1);
    auto unids =
        makeDb("a.nsf", {}, {Note(u"Memo", {TextItem(u"Subject", {u"图片"}), RichItem(u"Body", body.fragment())})});

    const std::string converted = exportDoc(unids[0], true);
    const auto gifs = Payloads(converted, "<gif>", "</gif>");
    ASSERT_EQ(gifs.size(), 2u);
    EXPECT_EQ(Decode(gifs[0]), bigGif);
    EXPECT_EQ(Decode(gifs[1]), smallGif);
    const auto jpegs = Payloads(converted, "<jpeg>", "</jpeg>");
    ASSERT_EQ(jpegs.size(), 1u);
    EXPECT_EQ(Decode(jpegs[0]), jpeg);
    const auto bitmaps = Payloads(converted, "<gif originalformat='notesbitmap'>", "</gif>");
    ASSERT_EQ(bitmaps.size(), 1u);
    const std::string gifOfBitmap = Decode(bitmaps[0]);
    EXPECT_EQ(gifOfBitmap.substr(0, 6), "GIF89a");
    // The converted picture shows the same pixels.
    EXPECT_EQ(gifOfBitmap, store::EncodeGif(*store::DecodeBmp(bitmap)));
    EXPECT_EQ(converted.find("<notesbitmap>"), std::string::npos);
    for (const auto& payload : {gifs[0], gifs[1], jpegs[0], bitmaps[0]})
        ExpectDxlBase64Layout(payload);
    const auto pngs = Payloads(converted, "<png>", "</png>");
    ASSERT_EQ(pngs.size(), 1u);
    EXPECT_EQ(Decode(pngs[0]), png);
    // Text that looks like a tag is escaped and never found as one.
    EXPECT_NE(converted.find("Pictures &lt;gif&gt; &amp; more"), std::string::npos);

    const std::string plain = exportDoc(unids[0], false);
    const auto kept = Payloads(plain, "<notesbitmap>", "</notesbitmap>");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(Decode(kept[0]), bitmap);
    EXPECT_EQ(plain.find("originalformat"), std::string::npos);
    EXPECT_EQ(Payloads(plain, "<gif>", "</gif>").size(), 2u);
}

TEST_F(DxlTest, DocumentItemsAndFiles) {
    store::NoteData note = Note(u"Memo", {TextItem(u"Subject", {u"A & B's <report>"}), TextItem(u"Tags", {u"x", u"y"}),
                                          NumberItem(u"Amount", {1250.5}), DateItem(u"Due", {46023.5}),
                                          TextItem(u"SendTo", {u"CN=张伟/O=Acme"}, 1074)});
    note.files.push_back({0, u"data.csv", store::file_kind::kAttachment, {}, 0, 0, 0, "a,b\n1,2\n"});
    note.created = 46023.5;
    auto unids = makeDb("a.nsf", {}, {std::move(note)});
    const std::string dxl = exportDoc(unids[0], true);

    QXmlStreamReader xml(QByteArray::fromStdString(dxl));
    std::vector<std::string> itemNames;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"item")
            itemNames.push_back(xml.attributes().value(QLatin1StringView("name")).toString().toStdString());
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(itemNames, (std::vector<std::string>{"Form", "Subject", "Tags", "Amount", "Due", "SendTo", "$FILE"}));
    for (const char* part :
         {"<document xmlns='http://www.lotus.com/dxl'", "form='Memo'", "unid='",
          "<created><datetime>20260101T120000,00</datetime></created>", "<text>A &amp; B&apos;s &lt;report&gt;</text>",
          "<textlist><text>x</text><text>y</text></textlist>", "<number>1250.5</number>",
          "<datetime>20260101T120000,00</datetime>", "<item name='SendTo' summary='true' names='true'>",
          "name='data.csv' size='8'"})
        EXPECT_NE(dxl.find(part), std::string::npos) << part;
    const auto files = Payloads(dxl, "<filedata>", "</filedata>");
    ASSERT_EQ(files.size(), 1u);
    ExpectDxlBase64Layout(files[0]);
    EXPECT_EQ(Decode(files[0]), "a,b\n1,2\n");
}

TEST_F(DxlTest, TheDataOfFilesCanBeLeftOut) {
    store::RichTextBuilder body;
    body.addAttachmentRef(u"in.txt");
    store::NoteData note = Note(u"M", {RichItem(u"Body", body.fragment())});
    note.files = {FileObject(u"in.txt", "IN"), FileObject(u"other.txt", "OTHER")};
    const auto unids = makeDb("o.nsf", {}, {std::move(note)});
    auto session = localSession();
    const auto doc = session->GetDatabase(u"", u"o.nsf", false)->GetDocumentByUNID(unids[0]);
    const auto data = [&](bool richText, bool misc) {
        auto exporter = session->CreateDXLExporter();
        exporter->SetOmitRichtextAttachments(richText);
        exporter->SetOmitMiscFileObjects(misc);
        std::vector<std::string> decoded;
        for (const auto& payload :
             Payloads(Utf16ToUtf8(exporter->Export(Variant(std::static_pointer_cast<IDispatchObject>(doc)))),
                      "<filedata>", "</filedata>"))
            decoded.push_back(Decode(payload));
        return decoded;
    };
    EXPECT_EQ(data(false, false), (std::vector<std::string>{"IN", "OTHER"}));
    EXPECT_EQ(data(true, false), std::vector<std::string>{"OTHER"}) << "the file the rich text refers to is left out";
    EXPECT_EQ(data(false, true), std::vector<std::string>{"IN"});
    EXPECT_TRUE(data(true, true).empty());
}

TEST_F(DxlTest, ExporterNeedsADocument) {
    auto exporter = localSession()->CreateDXLExporter();
    EXPECT_FALSE(ErrorOf([&] { exporter->Export(Variant()); }).empty());
    EXPECT_FALSE(ErrorOf([&] { exporter->Export(Variant(u"text")); }).empty());
}

// Rich text taken from a real DXL export keeps its picture through the store.
TEST_F(DxlTest, RealExportRichTextRoundTrip) {
    const char* shared = std::getenv("VERDANIX_SHARED_DATA");
    QFile file(QString::fromLocal8Bit(shared ? shared : VERDANIX_DEFAULT_SHARED_DATA) +
               "/dxl/plomino_test_binary_2.xml");
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "sample DXL not available";
    const std::string sample = file.readAll().toStdString();
    const size_t document = sample.find("<document");
    ASSERT_NE(document, std::string::npos);
    const size_t start = sample.find("<richtext>", document);
    const size_t end = sample.find("</richtext>", start);
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos);
    const std::string fragment = sample.substr(start, end + 11 - start);
    const auto original = Payloads(fragment, "<jpeg>", "</jpeg>");
    ASSERT_EQ(original.size(), 1u);

    auto unids = makeDb("a.nsf", {}, {Note(u"Page", {RichItem(u"article", fragment)})});
    const std::string dxl = exportDoc(unids[0], true);
    const auto exported = Payloads(dxl, "<jpeg>", "</jpeg>");
    ASSERT_EQ(exported.size(), 1u);
    EXPECT_GT(exported[0].size(), 2500u);
    EXPECT_EQ(Decode(exported[0]), Decode(original[0]));
    EXPECT_EQ(Decode(exported[0]).substr(0, 2), "\xFF\xD8");
    ExpectDxlBase64Layout(exported[0]);

    auto doc = openLocal("a.nsf")->GetDocumentByUNID(unids[0]);
    auto item = std::dynamic_pointer_cast<IRichTextItem>(doc->GetFirstItem(u"article"));
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->GetFormattedText(true, 80).empty());
}

TEST(DxlLayout, Base64LinesAndDates) {
    EXPECT_EQ(store::WrapBase64("QUJD"), "\nQUJD\n");
    const std::string seventySix(76, 'A');
    EXPECT_EQ(store::WrapBase64(seventySix), "\n" + seventySix + "\n");
    EXPECT_EQ(store::WrapBase64(seventySix + "BB"), "\n" + seventySix + "\nBB\n");
    EXPECT_EQ(store::WrapBase64("QU\nJD\r\n"), "\nQUJD\n");
    EXPECT_EQ(store::DxlDateTime(46023.0), "20260101");
    EXPECT_EQ(store::DxlDateTime(46023.5), "20260101T120000,00");
    EXPECT_EQ(store::DxlDateTime(store::ToOleDate(1999, 12, 31, 23, 59, 59)), "19991231T235959,00");
}

TEST(Images, BitmapsThatCannotBeReadAreRefused) {
    const std::string good = store::EncodeBmp(Stripes(10, 10));
    EXPECT_TRUE(store::BitmapToGif(good));
    EXPECT_FALSE(store::BitmapToGif(""));
    EXPECT_FALSE(store::BitmapToGif(good.substr(0, good.size() - 1)));
    EXPECT_FALSE(store::BitmapToGif(good.substr(0, 60)));
    std::string hugeWidth = good;
    hugeWidth[18] = '\xFF';
    hugeWidth[19] = '\xFF';
    EXPECT_FALSE(store::BitmapToGif(hugeWidth));
    std::string compressed = good;
    compressed[30] = 1;
    EXPECT_FALSE(store::BitmapToGif(compressed));
    EXPECT_EQ(store::PictureSize(store::EncodeGif(Stripes(33, 21))), (std::pair<int, int>{33, 21}));
    EXPECT_EQ(store::PictureSize(store::EncodeJpeg(40, 30, Noise(40, 30))), (std::pair<int, int>{40, 30}));
}

} // namespace

// The store's own fragments (its builder's and those the DXL import writes with Qt) are read by
// its plain scanner, with the text and output Qt's reader gives; other XML goes to Qt.
TEST(RichTextFragments, PlainScannerTakesTheStoresShapes) {
    struct Count : store::fragment::Handler {
        int events = 0;
        void start(std::string_view, std::string_view, const std::vector<store::fragment::Attribute>&) override {
            ++events;
        }
        void end(std::string_view, std::string_view) override { ++events; }
        void text(std::string_view) override { ++events; }
    };
    store::RichTextBuilder builder;
    builder.addParagraph(u"a < b & 'c'\nline");
    builder.addPicture("gif", std::string(3000, 'x'), 8, 6);
    builder.addAttachmentRef(u"附件 \"1\".txt");
    QByteArray written;
    QXmlStreamWriter writer(&written);
    writer.writeStartElement("richtext");
    writer.writeStartElement("par");
    writer.writeAttribute("def", "a\t\"b\"\n");
    writer.writeCharacters("x < y & z");
    writer.writeEndElement();
    writer.writeEndElement();
    for (const std::string& fragment : {builder.fragment(), written.toStdString()}) {
        Count count;
        EXPECT_TRUE(store::fragment::ReadPlain(fragment, count)) << fragment;
        EXPECT_GT(count.events, 0);
    }
    EXPECT_EQ(store::RichTextPlainText(written.toStdString()), u"x < y & z");
    EXPECT_NE(store::RichTextToDxl(written.toStdString(), false).find("def='a\t&quot;b&quot;\n'"), std::string::npos);
    const std::string dxl = store::RichTextToDxl(builder.fragment(), false);
    EXPECT_NE(dxl.find("a &lt; b &amp; &apos;c&apos;<break/>line"), std::string::npos) << dxl;
    EXPECT_NE(dxl.find("name='附件 &quot;1&quot;.txt'"), std::string::npos) << dxl;
    for (const char* other : {"<?xml version='1.0'?><r/>", "<r><![CDATA[x]]></r>", "<r>&nbsp;</r>", "<r>a\r\nb</r>",
                              "<r a='1' a='2'/>", "<r/> ", "<r>", ""}) {
        Count count;
        EXPECT_FALSE(store::fragment::ReadPlain(other, count)) << other;
        EXPECT_EQ(count.events, 0);
    }
    EXPECT_THROW(store::RichTextPlainText("<r>"), store::CorruptData);
}
