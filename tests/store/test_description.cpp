// Databases from JSON descriptions, as nsftool create makes them.
#include "StoreFixture.h"

#include "store/Description.h"
#include "store/Images.h"
#include "store/Password.h"

#include <QByteArray>

using namespace storetest;

namespace {

class DescriptionTest : public StoreTest {
protected:
    std::string gif = [] {
        store::IndexedImage image;
        image.width = image.height = 2;
        image.palette = {0x000000, 0xFFFFFF};
        image.pixels = {0, 1, 1, 0};
        return store::EncodeGif(image);
    }();
};

TEST_F(DescriptionTest, EveryKindOfContent) {
    {
        std::ofstream out(m_root / "pic.gif", std::ios::binary);
        out << gif;
    }
    const QByteArray json = R"({
      "title": "T",
      "views": [{"name": "By amount", "alias": "ByAmount", "selection": "SELECT Form = \"Memo\"",
                 "columns": [{"title": "Amount", "item": "Amount", "sort": "descending"},
                             {"title": "Files", "formula": "@AttachmentNames"}, {"title": "Tags"}]}],
      "documents": [
        {"form": "Memo", "unid": "00000000000000000000000000000ABC", "created": "2024-03-01T09:30:00",
         "attachments": [{"name": "a.txt", "text": "hello"}],
         "objects": [{"name": "plan.rtf", "class": "Word.Document.8", "base64": "e1xydGYxfQ=="}],
         "items": [
           {"name": "Subject", "value": "你好"},
           {"name": "Tags", "value": ["x", "y"]},
           {"name": "Amount", "value": 2.5},
           {"name": "Due", "type": "datetime", "value": ["2026-01-01", "2026-01-01 12:00"]},
           {"name": "SendTo", "type": "names", "value": ["CN=A/O=B"]},
           {"name": "R", "type": "readers", "value": "[Admin]"},
           {"name": "W", "type": "authors", "value": "CN=A/O=B"},
           {"name": "HTTPPassword", "type": "password", "value": "secret"},
           {"name": "Body", "type": "richtext", "value": ["line", {"picture": {"format": "gif", "file": "pic.gif"}},
              {"attachment": "a.txt"}, {"object": "plan.rtf"}]},
           {"name": "Raw", "type": "richtext", "value": "<richtext><par>raw</par></richtext>"}]},
        {"form": "Memo", "items": [{"name": "Amount", "type": "number", "value": [7, 8]}]}
      ]})";
    EXPECT_EQ(store::CreateDatabaseFromJson(dataDir / "d.nsf", json, m_root), 2);
    auto db = openLocal("d.nsf");
    auto view = db->GetView(u"byamount");
    EXPECT_EQ(Texts(view->ColumnNames()), (std::vector<std::u16string>{u"Amount", u"Files", u"Tags"}));
    auto first = view->GetNthDocument(1);
    EXPECT_EQ(first->ColumnValues().asArray()[0], Variant(Variant::Array{Variant(7.0), Variant(8.0)}));
    auto doc = view->GetNextDocument(first);
    EXPECT_EQ(doc->UniversalID(), u"00000000000000000000000000000ABC");
    EXPECT_EQ(doc->ColumnValues(), Variant(Variant::Array{Variant(2.5), Variant(u"a.txt"),
                                                          Variant(Variant::Array{Variant(u"x"), Variant(u"y")})}));
    EXPECT_EQ(doc->GetItemValue(u"Subject"), Variant(Variant::Array{Variant(u"你好")}));
    EXPECT_EQ(doc->GetItemValue(u"Due"), Variant(Variant::Array{Variant(OleDate{46023}), Variant(OleDate{46023.5})}));
    EXPECT_EQ(doc->GetFirstItem(u"R")->Type(), 1075);
    EXPECT_EQ(doc->GetFirstItem(u"W")->Type(), 1076);
    EXPECT_EQ(doc->GetFirstItem(u"SendTo")->Type(), 1074);
    const std::u16string hash = doc->GetItemValue(u"HTTPPassword").asArray()[0].asText();
    EXPECT_EQ(hash.find(u"secret"), std::u16string::npos);
    EXPECT_TRUE(store::VerifyPassword(u"secret", hash));
    EXPECT_EQ(doc->GetItemValue(u"Raw"), Variant(Variant::Array{Variant(u"raw")}));
    auto body = std::dynamic_pointer_cast<IRichTextItem>(doc->GetFirstItem(u"Body"));
    EXPECT_EQ(Texts(body->EmbeddedObjects()), (std::vector<std::u16string>{u"a.txt", u"plan.rtf"}));
    auto exporter = localSession()->CreateDXLExporter();
    const std::string dxl = Utf16ToUtf8(exporter->Export(Variant(std::static_pointer_cast<IDispatchObject>(doc))));
    EXPECT_NE(dxl.find("<picture width='2px' height='2px'><gif>\n" +
                       QByteArray::fromStdString(gif).toBase64().toStdString() + "\n</gif>"),
              std::string::npos);
}

TEST_F(DescriptionTest, MistakesAreReportedAndLeaveNoFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"{", "JSON"},
        {R"({"views": [{"columns": []}]})", "name"},
        {R"({"views": [{"name": "v", "selection": "SELECT ("}]})", "formula"},
        {R"({"views": [{"name": "v", "columns": [{"title": "t", "sort": "up"}]}]})", "sort"},
        {R"({"documents": [{"unid": "xyz"}]})", "universal ID"},
        {R"({"documents": [{"created": "yesterday"}]})", "date"},
        {R"({"documents": [{"items": [{"name": "a", "type": "colour", "value": 1}]}]})", "type"},
        {R"({"documents": [{"items": [{"name": "a", "type": "number", "value": "x"}]}]})", "numbers"},
        {R"({"documents": [{"items": [{"name": "a", "type": "datetime", "value": "2024-13-01"}]}]})", "date"},
        {R"({"documents": [{"items": [{"value": 1}]}]})", "name"},
        {R"({"documents": [{"items": [{"name": "b", "type": "richtext", "value": [{"attachment": "n"}]}]}]})",
         "does not hold"},
        {R"({"documents": [{"items": [{"name": "b", "type": "richtext", "value": "<richtext><par>"}]}]})",
         "well-formed"},
        {R"({"documents": [{"attachments": [{"name": "a", "file": "missing.bin"}]}]})", "missing.bin"},
        {R"({"documents": [{"attachments": [{"name": "a", "base64": "@@@"}]}]})", "base64"},
        {R"({"documents": [{"unid": "00000000000000000000000000000001"},
                            {"unid": "00000000000000000000000000000001"}]})",
         "UNIQUE"},
    };
    for (const auto& [json, expected] : cases) {
        SCOPED_TRACE(json);
        try {
            store::CreateDatabaseFromJson(dataDir / "bad.nsf", QByteArray(json), m_root);
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::exists(dataDir / "bad.nsf"));
    }
}

TEST_F(DescriptionTest, AFailedCreateLeavesAnExistingFileAsItWas) {
    {
        std::ofstream out(dataDir / "keep.nsf", std::ios::binary);
        out << "precious bytes";
    }
    EXPECT_THROW(store::CreateDatabaseFromJson(dataDir / "keep.nsf", R"({"documents": [{"unid": "xyz"}]})", m_root),
                 std::exception);
    std::ifstream in(dataDir / "keep.nsf", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious bytes");
    for (const auto& entry : fs::directory_iterator(dataDir))
        EXPECT_EQ(entry.path().filename().string().find(".building"), std::string::npos) << entry.path();

    EXPECT_EQ(store::CreateDatabaseFromJson(dataDir / "keep.nsf", R"({"documents": [{"form": "A"}]})", m_root), 1);
    EXPECT_NO_THROW(store::OpenDatabaseFile(dataDir / "keep.nsf"));
}

} // namespace
