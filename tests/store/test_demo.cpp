// The demo installation: found through the registry file, logged on with the settings file's
// values, and holding the content the program's features need.
#include "StoreFixture.h"

#include "Demo.h"
#include "access/Domino_TLB.h"
#include "platform/PortableRegistry.h"

#include <fstream>

using namespace storetest;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DemoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        root = fs::path(dir->path().toStdU16String()) / "install";
        exe = fs::path(dir->path().toStdU16String()) / "bin";
        first = demo::BuildDemo(root, exe, false);
    }
    static void TearDownTestSuite() { delete dir; }

    static inline QTemporaryDir* dir = nullptr;
    static inline fs::path root, exe;
    static inline demo::Result first;
};

TEST_F(DemoTest, FilesBesideTheExecutable) {
    EXPECT_TRUE(first.rebuilt);
    EXPECT_EQ(ReadAll(exe / "system.ini"), "[domino]\r\nserver=OASVR01/HuaXin\r\nusername=zhangwei\r\npwd=demo123\r\n");
    EXPECT_EQ(fs::status(exe / "system.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    const std::string registry = ReadAll(exe / "registry.reg");
    EXPECT_EQ(registry.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_EQ(registry, demo::RegistryText(root / "program", root / "data"));
    EXPECT_EQ(PortableComClassFactory::ComponentKind(root / "program" / "nlsxbe.dll"), store::kComponentKind);
    // Complete: a second run leaves it alone; a forced one rebuilds.
    EXPECT_FALSE(demo::BuildDemo(root, exe, false).rebuilt);
    EXPECT_TRUE(demo::BuildDemo(root, exe, true).rebuilt);
}

TEST_F(DemoTest, RegistryTextEscapesPaths) {
    const std::string text = demo::RegistryText(fs::path("C:\\Domino \"x\""), fs::path("/data"));
    EXPECT_NE(text.find("\"Path\"=\"C:\\\\Domino \\\"x\\\"\""), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{29131539-2EED-1069-BF5D-00DD011186B7}"
                        "\\InprocServer32]\n@=\""),
              std::string::npos);
}

TEST_F(DemoTest, LogsOnThroughTheRegisteredComponentAndShowsTheContent) {
    FileRegistry registry(exe / "registry.reg");
    auto domino = registry.OpenKey(u"\\Software\\Lotus\\Domino");
    ASSERT_TRUE(domino);
    EXPECT_EQ(domino->ReadString(u"DataPath"), (root / "data").u16string());
    PortableComClassFactory factory(registry);
    store::RegisterLocalStore(factory);
    TNotesSession session(factory);
    session.InitializeUsingNotesUserName(u"zhangwei", u"demo123");
    EXPECT_THROW(TNotesSession(factory).InitializeUsingNotesUserName(u"CN=张伟/O=HuaXin", u"wrong"), EOleException);

    auto mail = session.GetDatabase(u"OASVR01/HuaXin", u"mail\\zhangwei.nsf", false);
    const auto views = Texts(mail->Views());
    EXPECT_NE(std::find(views.begin(), views.end(), u"($All)"), views.end());
    EXPECT_NE(std::find(views.begin(), views.end(), u"按日期"), views.end());

    auto contacts = session.GetDatabase(u"CN=OASVR01/O=HuaXin", u"通讯录.nsf", false)->GetView(u"按姓名");
    EXPECT_GT(contacts->AllEntries()->Count(), 4000);
    EXPECT_EQ(contacts->ColumnCount(), 10);
    EXPECT_TRUE(contacts->GetNthDocument(4001));

    // The showcase document: pictures large and small of every kind, attachments, objects.
    auto library = session.GetDatabase(u"OASVR01/HuaXin", u"办公室\\文档库.nsf", false);
    auto doc = library->GetView(u"按日期")->GetNthDocument(1);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->HasEmbedded());
    EXPECT_EQ(Texts(session.Evaluate(u"@AttachmentNames", Variant(std::static_pointer_cast<IDispatchObject>(doc)))),
              (std::vector<std::u16string>{u"销售数据.csv", u"Q3 report.pdf"}));
    TNotesRichTextItem body;
    body.ConnectToItem(doc->GetFirstItem(u"Body"));
    EXPECT_EQ(Texts(body.EmbeddedObjects()).size(), 4u);
    auto exporter = session.CreateDXLExporter();
    exporter->SetConvertNotesBitmapsToGIF(true);
    const std::string dxl = Utf16ToUtf8(exporter->Export(Variant(std::static_pointer_cast<IDispatchObject>(doc))));
    auto payloadSizes = [&](const std::string& open, const std::string& close) {
        std::vector<size_t> sizes;
        for (size_t at = dxl.find(open); at != std::string::npos; at = dxl.find(open, at + 1))
            sizes.push_back(dxl.find(close, at) - at - open.size());
        return sizes;
    };
    const auto gifs = payloadSizes("<gif>", "</gif>");
    const auto bitmaps = payloadSizes("<gif originalformat='notesbitmap'>", "</gif>");
    const auto jpegs = payloadSizes("<jpeg>", "</jpeg>");
    ASSERT_EQ(gifs.size(), 3u);
    ASSERT_EQ(bitmaps.size(), 1u);
    ASSERT_EQ(jpegs.size(), 2u);
    EXPECT_GT(gifs[0], 2500u);
    EXPECT_LT(gifs[1], 2500u);
    EXPECT_GT(bitmaps[0], 2500u);
    EXPECT_GT(jpegs[0], 2500u);
    EXPECT_LT(jpegs[1], 2500u);
}

} // namespace
