// DXL import: the real samples beside the project, malformed input, items the store lacks, a
// round trip through our own DXL exporter, and appending.
#include "store/StoreFixture.h"

#include "access/Domino_TLB.h"
#include "export/RichTextPictures.h"
#include "import/Import.h"
#include "import/ImportTarget.h"
#include "platform/PortableRegistry.h"
#include "store/DatabaseWriter.h"

#include <QDir>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

using namespace storetest;

const QString kSamples = QStringLiteral(VERDANIX_DEFAULT_SHARED_DATA "/dxl");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DxlImportTest : public StoreTest {
protected:
    // The real samples lie beside the project, not in it: the tests that read them skip without.
    static bool HaveSamples() { return QDir(kSamples).exists(); }
    fs::path Sample(const char* name) const { return fs::path((kSamples + "/" + name).toStdU16String()); }
    importer::ImportReport Import(const std::vector<fs::path>& files, const char* target, bool append = false) {
        return importer::Import(files, dataDir / target, append);
    }
    std::shared_ptr<IDocument> First(const char* db) {
        auto view = openLocal(db)->GetView(u"所有文档");
        return view ? view->GetNthDocument(1) : nullptr;
    }
    Variant Values(const std::shared_ptr<IDocument>& doc, const char16_t* item) { return doc->GetItemValue(item); }
};

} // namespace

TEST_F(DxlImportTest, SampleDocumentsKeepTheirIdsTypesAndViews) {
    if (!HaveSamples())
        GTEST_SKIP() << "the DXL samples are not beside the project";
    const auto report = Import({Sample("plomino_test_100docs.xml")}, "hundred.nsf");
    EXPECT_EQ(report.documents, 100);
    const QByteArray text = ReadAll(kSamples + "/plomino_test_100docs.xml");
    const auto firstUnid = QRegularExpression("<document[^>]*>\\s*<noteinfo[^>]*unid='([0-9A-F]{32})'")
                               .match(QString::fromUtf8(text))
                               .captured(1)
                               .toStdU16String();
    auto db = openLocal("hundred.nsf");
    EXPECT_NO_THROW(EXPECT_TRUE(db->GetDocumentByUNID(firstUnid)));
    EXPECT_EQ(Texts(db->Views()).size(), static_cast<size_t>(report.views));

    Import({Sample("jnx_invaliddoc.xml")}, "typed.nsf");
    auto doc = First("typed.nsf");
    ASSERT_TRUE(doc);
    EXPECT_EQ(Values(doc, u"ExcludeFromView"), Variant(Variant::Array{u"D", u"A"}));
    EXPECT_EQ(doc->GetFirstItem(u"$ICAL_UPDATE_SEQUENCE")->Type(), item_type::kNumbers);
    EXPECT_EQ(Values(doc, u"$ICAL_UPDATE_SEQUENCE"), Variant(Variant::Array{1.0}));
    EXPECT_EQ(Values(doc, u"$ICAL_UPDATE_DTSTAMP").asArray().front().kind(), Variant::Kind::DateTime);

    Import({Sample("plomino_test_names_type.xml")}, "names.nsf");
    bool names = false;
    for (auto view = openLocal("names.nsf")->GetView(u"所有文档"); auto d = view->GetNthDocument(1);) {
        for (const auto& item : Texts(d->Items()))
            names = names || d->GetFirstItem(item)->Type() == item_type::kNames;
        break;
    }
    EXPECT_TRUE(names);

    Import({Sample("jnx_spam_mime_memo.xml")}, "mime.nsf");
    EXPECT_NE(Values(First("mime.nsf"), u"Body").asArray().front().asText().find(u"Content-Type: text/html"),
              std::u16string::npos)
        << "the MIME body as readable text";
}

TEST_F(DxlImportTest, AttachmentsAndPicturesComeOutAsTheyWentIn) {
    if (!HaveSamples())
        GTEST_SKIP() << "the DXL samples are not beside the project";
    EXPECT_EQ(Import({Sample("plomino_test_binary_1.xml")}, "files.nsf").attachments, 1);
    const QString text = QString::fromUtf8(ReadAll(kSamples + "/plomino_test_binary_1.xml"));
    const auto match = QRegularExpression("<file [^>]*name='([^']+)'.*?<filedata\\s*>([^<]*)</filedata>",
                                          QRegularExpression::DotMatchesEverythingOption)
                           .match(text);
    ASSERT_TRUE(match.hasMatch());
    auto doc = First("files.nsf");
    auto attachment = doc->GetAttachment(match.captured(1).toStdU16String());
    ASSERT_TRUE(attachment);
    attachment->ExtractFile(U16(m_root / "out.bin"));
    EXPECT_EQ(ReadAll(QString::fromStdU16String(U16(m_root / "out.bin"))),
              QByteArray::fromBase64(match.captured(2).toLatin1()));

    EXPECT_EQ(Import({Sample("plomino_test_binary_2.xml")}, "picture.nsf").pictures, 1);
    MemoryRegistry registry;
    PortableComClassFactory factory(registry);
    factory.RegisterLoader("s", [this](const fs::path&) { return localSession(); });
    PortableComClassFactory::WriteComponentFile(programDir / "c.dll", "s");
    registry.CreateKey(IComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
        ->WriteString(u"", U16(programDir / "c.dll"));
    TNotesSession session(factory);
    TNotesDocument picture;
    picture.ConnectTo(First("picture.nsf"));
    QStringList names;
    QByteArray jpeg;
    ExtractRichTextPictures(session, picture, [&](const QString& name, const QByteArray& bytes) {
        names << name;
        jpeg = bytes;
    });
    EXPECT_EQ(names, QStringList{"RTF域图片0.jpg"});
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF") && jpeg.endsWith("\xFF\xD9")) << "a whole JPEG";
}

TEST_F(DxlImportTest, MalformedOrEmptyInputLeavesTheTargetAsItWas) {
    makeDb("keep.nsf", {}, {Note(u"M", {TextItem(u"A", {u"a"})})});
    const QByteArray before = ReadAll(QString::fromStdU16String(U16(dataDir / "keep.nsf")));
    const fs::path broken = m_root / "broken.xml", empty = m_root / "empty.xml";
    std::ofstream(broken) << "<database><document><item name='a'><text>x</item></document></database>";
    std::ofstream(empty) << "";
    for (const auto& file : {broken, empty})
        for (bool append : {false, true}) {
            try {
                importer::Import({file}, dataDir / "keep.nsf", append);
                ADD_FAILURE() << "imported " << file;
            } catch (const importer::ImportError& e) {
                EXPECT_NE(std::string(e.what()).find(file.filename().string() + ":1:"), std::string::npos) << e.what();
            }
            EXPECT_EQ(ReadAll(QString::fromStdU16String(U16(dataDir / "keep.nsf"))), before);
        }
}

TEST_F(DxlImportTest, ItemsTheStoreLacksAreLeftOutAndReported) {
    const fs::path file = m_root / "raw.xml";
    std::ofstream(file) << "<document form='F'><noteinfo unid='0123456789ABCDEF0123456789ABCDEF'/>\n"
                           "<item name='keep'><text>k</text></item>\n"
                           "<item name='raw'><rawitemdata type='7'>AAAA</rawitemdata></item></document>";
    const auto report = importer::Import({file}, dataDir / "raw.nsf", false);
    ASSERT_EQ(report.documents, 1);
    EXPECT_TRUE(std::any_of(report.notes.begin(), report.notes.end(),
                            [](const std::string& n) { return n.find("raw.xml:3: 项 raw") == 0; }));
    auto doc = openLocal("raw.nsf")->GetDocumentByUNID(u"0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(Texts(doc->Items()), (std::vector<std::u16string>{u"Form", u"keep"}));
}

TEST_F(DxlImportTest, OurOwnDxlRoundTripsAndAppendingReplacesByUniversalId) {
    store::RichTextBuilder body;
    body.addParagraph(u"中文正文");
    body.addPicture("gif", std::string(3000, 'g'), 10, 10);
    body.addObjectRef(u"plan.doc", u"Word.Document.8");
    store::NoteData rich = Note(u"备忘", {TextItem(u"主题", {u"季度报告", u"第二"}), NumberItem(u"金额", {12.5}),
                                          DateItem(u"日期", {45000.25}), RichItem(u"Body", body.fragment())});
    rich.files = {FileObject(u"报告.txt", "附件内容"),
                  FileObject(u"plan.doc", "P", store::file_kind::kObject, u"Word.Document.8")};
    const auto unids = makeDb("source.nsf", {}, {std::move(rich), Note(u"M", {TextItem(u"主题", {u"二"})})});

    const fs::path dxlDir = m_root / "dxl";
    fs::create_directories(dxlDir);
    auto session = localSession();
    auto exporter = session->CreateDXLExporter();
    auto source = session->GetDatabase(u"", u"source.nsf", false);
    for (size_t i = 0; i < unids.size(); ++i)
        std::ofstream(dxlDir / ("doc" + std::to_string(i) + ".xml"), std::ios::binary) << Utf16ToUtf8(
            exporter->Export(Variant(std::static_pointer_cast<IDispatchObject>(source->GetDocumentByUNID(unids[i])))));
    EXPECT_EQ(importer::Import({dxlDir}, dataDir / "copy.nsf", false).documents, 2);

    auto copy = session->GetDatabase(u"", u"copy.nsf", false);
    for (const auto& unid : unids) {
        auto a = source->GetDocumentByUNID(unid), b = copy->GetDocumentByUNID(unid);
        ASSERT_TRUE(b);
        EXPECT_EQ(Texts(b->Items()), Texts(a->Items()));
        for (const auto& item : Texts(a->Items()))
            if (item != u"$FILE") {
                EXPECT_EQ(b->GetItemValue(item), a->GetItemValue(item)) << Utf16ToUtf8(item);
                EXPECT_EQ(b->GetFirstItem(item)->Type(), a->GetFirstItem(item)->Type()) << Utf16ToUtf8(item);
            }
    }
    auto file = copy->GetDocumentByUNID(unids[0])->GetAttachment(u"报告.txt");
    ASSERT_TRUE(file);
    file->ExtractFile(U16(m_root / "back.txt"));
    EXPECT_EQ(ReadAll(QString::fromStdU16String(U16(m_root / "back.txt"))), QByteArray("附件内容"));
    EXPECT_FALSE(copy->GetDocumentByUNID(unids[0])->GetAttachment(u"plan.doc")) << "still an embedded object";

    // Appending the second document again replaces it, and says so.
    const auto report = importer::Import({dxlDir / "doc1.xml"}, dataDir / "copy.nsf", true);
    EXPECT_EQ(report.documents, 1);
    EXPECT_TRUE(std::any_of(report.notes.begin(), report.notes.end(),
                            [](const std::string& n) { return n.find("替换了") != std::string::npos; }));
    auto again = localSession()->GetDatabase(u"", u"copy.nsf", false);
    EXPECT_EQ(again->GetView(u"所有文档")->AllEntries()->Count(), 2);
}

namespace {

// Imports text as one DXL file into target (in the data folder) and returns the report.
importer::ImportReport ImportText(const fs::path& root, const fs::path& target, const std::string& text,
                                  bool append = false) {
    const fs::path file = root / "in.xml";
    std::ofstream(file, std::ios::binary) << text;
    return importer::Import({file}, target, append);
}

bool Reports(const importer::ImportReport& report, const std::string& part) {
    return std::any_of(report.notes.begin(), report.notes.end(),
                       [&](const std::string& n) { return n.find(part) != std::string::npos; });
}

const std::string kDocument = "<document form='M'><noteinfo unid='0123456789ABCDEF0123456789ABCDEF'/>"
                              "<item name='A'><text>a</text></item></document>";
const std::string kOneDocument = "<database xmlns='http://www.lotus.com/dxl'>" + kDocument + "</database>";

} // namespace

TEST_F(StoreTest, AnImportNeverTakesATargetThatIsNoStoreDatabase) {
    const fs::path dxl = dataDir / "b.xml", folder = dataDir / "folder.nsf", junk = dataDir / "junk.nsf";
    std::ofstream(dxl) << kOneDocument;
    std::ofstream(junk) << "not a database";
    fs::create_directories(folder);
    for (const fs::path& target : {dxl, folder, junk})
        EXPECT_THROW(ImportText(m_root, target, kOneDocument), importer::ImportError) << target;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fs::file_size(junk), 14u);
    EXPECT_EQ(fs::file_size(dxl), kOneDocument.size()) << "the DXL named last is not overwritten";
}

TEST_F(StoreTest, AKilledAppendLeavesNothingThatBlocksTheNext) {
    const fs::path target = dataDir / "t.nsf";
    ImportText(m_root, target, kOneDocument);
    // What a killed --append leaves: its working copy and a journal.
    fs::copy_file(target, dataDir / "t.nsf.importing");
    std::ofstream(dataDir / "t.nsf.importing-journal") << std::string(4096, 'j');
    const auto report = ImportText(m_root, target, kOneDocument, true);
    EXPECT_EQ(report.documents, 1);
    EXPECT_TRUE(Reports(report, "中断"));
    EXPECT_FALSE(fs::exists(dataDir / "t.nsf.importing-journal"));
    EXPECT_FALSE(fs::exists(dataDir / "t.nsf.importing"));
}

TEST_F(StoreTest, ValuesStoredOtherThanAsWrittenAreReported) {
    const std::string text =
        "<!DOCTYPE database SYSTEM 'domino.dtd'>\n<database xmlns='http://www.lotus.com/dxl'>\n"
        "<document form='M'><noteinfo unid='0123456789ABCDEF0123456789ABCDEF'><created/></noteinfo>\n"
        "<item name='D'><datetime>20240230</datetime></item>\n"
        "<item name='Z'><datetime>00000101</datetime></item>\n"
        "<item name='N'><number>nan</number></item>\n"
        "<item name='E'><text>a&nbsp;b</text></item>\n"
        "<item name='$FILE'><object><file name='f.txt'><filedata>QUJD#RA==</filedata></file></object></item>\n"
        "</document></database>";
    const auto report = ImportText(m_root, dataDir / "odd.nsf", text);
    for (const char* part : {"in.xml:3: 文档的创建时间", "in.xml:4: 项 D", "in.xml:5: 项 Z", "in.xml:6: 项 N",
                             "in.xml:7: 实体引用 &nbsp;", "in.xml:8: 文件 f.txt"})
        EXPECT_TRUE(Reports(report, part)) << part;
    auto doc = openLocal("odd.nsf")->GetDocumentByUNID(u"0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(doc->GetItemValue(u"E"), Variant(Variant::Array{u"a&nbsp;b"})) << "kept as written";

    // Within one --append, documents of one universal ID replace each other: counted once.
    const auto appended =
        ImportText(m_root, dataDir / "odd.nsf", "<database>" + kDocument + kDocument + "</database>", true);
    EXPECT_EQ(appended.documents, 1);
    EXPECT_TRUE(Reports(appended, "替换了本次导入中先前导入"));
}

TEST_F(StoreTest, TheAddedViewsColumnsFollowTheItemsOrder) {
    std::string text = "<database>";
    for (int i = 0; i < 3; ++i)
        text += "<document><item name='Zeta'><text>z</text></item><item name='Alpha'><text>a</text></item>"
                "<item name='Mid'><text>m</text></item></document>";
    ImportText(m_root, dataDir / "cols.nsf", text + "</database>");
    EXPECT_EQ(Texts(openLocal("cols.nsf")->GetView(u"所有文档")->ColumnNames()),
              (std::vector<std::u16string>{u"Zeta", u"Alpha", u"Mid"}));
}

TEST_F(StoreTest, ImportedRichTextComesBackAsNamespaceCorrectDxl) {
    const std::string text =
        "<database xmlns='http://www.lotus.com/dxl'><document form='M'>"
        "<noteinfo unid='0123456789ABCDEF0123456789ABCDEF'/><item name='Body'><richtext><pardef id='1'/>"
        "<par def='1'>正文<run><font style='bold'/>粗</run></par></richtext></item></document></database>";
    ImportText(m_root, dataDir / "rich.nsf", text);
    auto session = localSession();
    const std::u16string dxl = session->CreateDXLExporter()->Export(Variant(std::static_pointer_cast<IDispatchObject>(
        session->GetDatabase(u"", u"rich.nsf", false)->GetDocumentByUNID(u"0123456789ABCDEF0123456789ABCDEF"))));
    QXmlStreamReader reader(QString::fromStdU16String(dxl));
    QStringList namespaces;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            namespaces << reader.namespaceUri().toString();
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(namespaces.count("http://www.lotus.com/dxl"), namespaces.size()) << "every element in DXL's namespace";
}

TEST_F(StoreTest, PagesOfAnObjectsStorageStayWithTheObject) {
    const auto file = [](const char* host, const char* name) {
        return std::string("<item name='$FILE'><object><file hosttype='") + host + "' name='" + name +
               "'><filedata>QQ==</filedata></file></object></item>";
    };
    const auto report =
        ImportText(m_root, dataDir / "ole.nsf",
                   "<document><noteinfo unid='0123456789ABCDEF0123456789ABCDEF'/><item name='Body'><richtext><par>"
                   "<objectref name='EXT1' class='AcroExch.Document'/></par></richtext></item>" +
                       file("bytearrayext", "EXT1") + file("bytearraypage", "STG1") + file("bytearraypage", "STG2") +
                       file("msdos", "real.txt") + "</document>");
    EXPECT_TRUE(Reports(report, "2 个存储部分"));
    auto doc = openLocal("ole.nsf")->GetDocumentByUNID(u"0123456789ABCDEF0123456789ABCDEF");
    EXPECT_FALSE(doc->GetAttachment(u"STG1"));
    EXPECT_TRUE(doc->GetAttachment(u"real.txt"));
}

TEST_F(StoreTest, BytesThatAreNoUtf8AreReportedWhereTheyStand) {
    std::string text = "<database>\n";
    for (int i = 2; i < 2003; ++i)
        text += "<document><item name='a'><text>line " + std::to_string(i) + "</text></item></document>\n";
    text += "<document><item name='a'><text>bad \xFF\xFE</text></item></document>\n</database>";
    try {
        ImportText(m_root, dataDir / "enc.nsf", text);
        ADD_FAILURE() << "imported";
    } catch (const importer::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("in.xml:2003:36：不是 UTF-8 的字节"), std::string::npos) << e.what();
    }
}

// The database is written beside the reading: a failure there comes back to the reader, and
// every later call raises it again, so that no import ends as if it had succeeded.
TEST_F(DxlImportTest, AFailureOfTheWritingComesBackAndStays) {
    auto writer = store::DatabaseWriter::Create(dataDir / "failing.nsf", u"Failing");
    importer::ImportReport report;
    importer::ImportTarget target(*writer, report, false);
    store::ViewDef broken;
    broken.name = u"Broken";
    broken.selection = u"SELECT ((";
    target.report(QStringLiteral("a.xml:1"), QStringLiteral("first"));
    target.addView(broken);
    EXPECT_THROW(target.finish(), std::exception);
    EXPECT_THROW(target.report(QStringLiteral("a.xml:2"), QStringLiteral("second")), std::exception);
    EXPECT_EQ(report.views, 0);
}
