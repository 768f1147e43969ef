// Documents: identity, items and their values, rich text's text, file objects, Evaluate.
#include "StoreFixture.h"
#include "store/Unid.h"

#include <QFile>
#include <QFileInfo>

using namespace storetest;

namespace {

class DocumentTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        store::NoteData note = Note(
            u"Memo", {TextItem(u"Subject", {u"季度报告 Q3"}), TextItem(u"Tags", {u"red", u"blue"}),
                      NumberItem(u"Amount", {1250.5, -3}), DateItem(u"Due", {46023.5, 46024}),
                      TextItem(u"SendTo", {u"CN=张伟/O=Acme", u"CN=Bob/O=Acme"}, 1074),
                      TextItem(u"DocReaders", {u"[Managers]"}, 1075), TextItem(u"DocAuthors", {u"CN=Bob/O=Acme"}, 1076),
                      TextItem(u"Empty", {}), TextItem(u"Subject", {u"second subject"})});
        store::RichTextBuilder body;
        body.addParagraph(u"Hello\tworld");
        body.addPicture("gif", "GIF89a-not-really", 1, 1);
        body.addAttachmentRef(u"data.bin");
        body.addObjectRef(u"plan.rtf", u"Word.Document.8");
        body.addParagraph(u"line one\nline two");
        note.items.push_back(RichItem(u"Body", body.fragment()));
        note.items.push_back(RichItem(u"Plain", "<richtext><par>no objects</par></richtext>"));
        for (int i = 0; i < 70000; ++i)
            binary.push_back(static_cast<char>((i * 7919) % 256));
        note.files.push_back({0, u"data.bin", store::file_kind::kAttachment, {}, 0, 0, 0, binary});
        note.files.push_back({0, u"plan.rtf", store::file_kind::kObject, u"Word.Document.8", 0, 0, 0, "{\\rtf1 plan}"});
        note.files.push_back({0, u"empty.txt", store::file_kind::kAttachment, {}, 0, 0, 0, ""});
        note.files.push_back({0, u"报告.txt", store::file_kind::kAttachment, {}, 0, 0, 0, "\xE4\xB8\xAD\r\n"});
        note.created = 45000.25;
        note.unid = u"0123456789abcdef0123456789ABCDEF";
        unids = makeDb("a.nsf", {View(u"V", u"", u"SELECT @All", {Column(u"S", u"Subject")})},
                       {std::move(note), Note(u"Bare", {})});
        db = openLocal("a.nsf");
        doc = db->GetDocumentByUNID(unids[0]);
    }

    std::string binary;
    std::vector<std::u16string> unids;
    std::shared_ptr<IDatabase> db;
    std::shared_ptr<IDocument> doc;
};

TEST_F(DocumentTest, UniversalIdsAndLookup) {
    EXPECT_EQ(unids[0], u"0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(doc->UniversalID(), unids[0]);
    ASSERT_EQ(unids[1].size(), 32u);
    EXPECT_TRUE(store::IsValidUnid(unids[1]));
    EXPECT_EQ(unids[1].find_first_of(u"abcdef"), std::u16string::npos);
    EXPECT_EQ(db->GetDocumentByUNID(u"0123456789abcdef0123456789abcdef")->UniversalID(), unids[0]);
    for (const std::u16string bad :
         {u"", u"0123", u"0123456789ABCDEF0123456789ABCDEG", u"0123456789ABCDEF0123456789ABCDEF0",
          u"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", u"0123456789ABCDEF0123456789ABCDE'"}) {
        int32_t code = 0;
        EXPECT_EQ(ErrorOf([&] { db->GetDocumentByUNID(bad); }, &code), store::notes_text::InvalidUnid());
        EXPECT_EQ(code, store::notes_code::kBadUnid);
    }
}

TEST_F(DocumentTest, ItemsInDocumentOrderIncludingDuplicatesAndFiles) {
    EXPECT_EQ(Texts(doc->Items()),
              (std::vector<std::u16string>{u"Form", u"Subject", u"Tags", u"Amount", u"Due", u"SendTo", u"DocReaders",
                                           u"DocAuthors", u"Empty", u"Subject", u"Body", u"Plain", u"$FILE", u"$FILE",
                                           u"$FILE", u"$FILE"}));
    EXPECT_TRUE(db->GetDocumentByUNID(unids[1])->HasEmbedded() == false);
    EXPECT_TRUE(doc->HasEmbedded());
}

TEST_F(DocumentTest, GetItemValueForEveryType) {
    struct Case {
        std::u16string name;
        int32_t type;
        Variant::Array value;
    };
    const Case cases[] = {
        {u"Subject", 1280, {Variant(u"季度报告 Q3")}}, // the first of two items of that name
        {u"subject", 1280, {Variant(u"季度报告 Q3")}},
        {u"Tags", 1280, {Variant(u"red"), Variant(u"blue")}},
        {u"Amount", 768, {Variant(1250.5), Variant(-3.0)}},
        {u"Due", 1024, {Variant(OleDate{46023.5}), Variant(OleDate{46024})}},
        {u"SendTo", 1074, {Variant(u"CN=张伟/O=Acme"), Variant(u"CN=Bob/O=Acme")}},
        {u"DocReaders", 1075, {Variant(u"[Managers]")}},
        {u"DocAuthors", 1076, {Variant(u"CN=Bob/O=Acme")}},
        {u"Empty", 1280, {Variant(u"")}},
        {u"Body", 1, {Variant(u"Hello\tworld\r\n\r\n\r\n\r\nline one\r\nline two")}},
        {u"$FILE", 1084, {Variant(u"data.bin")}},
        {u"Form", 1280, {Variant(u"Memo")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.name));
        EXPECT_EQ(doc->GetItemValue(c.name), Variant(c.value));
        auto item = doc->GetFirstItem(c.name);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->Type(), c.type);
        EXPECT_EQ(item->DefaultValueText(), item->Name());
        EXPECT_EQ(std::dynamic_pointer_cast<IRichTextItem>(item) != nullptr, c.type == 1);
        EXPECT_EQ(std::dynamic_pointer_cast<IItem2>(item) != nullptr, c.type != 1);
    }
    EXPECT_EQ(doc->GetItemValue(u"NoSuchItem"), Variant(Variant::Array{Variant(u"")}));
    EXPECT_FALSE(doc->GetFirstItem(u"NoSuchItem"));
}

TEST_F(DocumentTest, FormattedText) {
    auto formatted = [](const std::string& paragraphs, bool strip, int length) {
        return store::RichTextFormattedText("<richtext><pardef id='1'/>" + paragraphs + "</richtext>", strip, length);
    };
    struct Case {
        std::string paragraphs;
        bool strip;
        int length;
        std::u16string expected;
    };
    const Case cases[] = {
        {"<par>one two three four</par>", true, 9, u"one two\r\nthree\r\nfour"},
        {"<par>one two three four</par>", true, 0, u"one two three four"},
        {"<par>a\tb</par>", true, 80, u"a b"},
        {"<par>a\tb</par>", false, 80, u"a\tb"},
        {"<par>averyveryverylongword x</par>", true, 5, u"averyveryverylongword\r\nx"},
        {"<par>first</par><par/><par>third</par>", true, 80, u"first\r\n\r\nthird"},
        {"<par>line<break/>next</par>", true, 80, u"line\r\nnext"},
        {"<par><run><font size='10pt'/>bold</run> and <run>plain</run></par>", true, 80, u"bold and plain"},
        {"<par>see <picture width='1px' height='1px'><gif>R0lG</gif></picture>chart</par>", true, 80, u"see chart"},
        {"<par>&lt;gif&gt; &amp; more</par>", true, 80, u"<gif> & more"},
        {"<table><tablerow><tablecell><par>c1</par></tablecell><tablecell><par>c2</par></tablecell></tablerow></table>",
         true, 80, u"c1\r\nc2"},
        {"<par>中文段落没有空格所以不会被拆开</par>", true, 4, u"中文段落没有空格所以不会被拆开"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paragraphs);
        EXPECT_EQ(formatted(c.paragraphs, c.strip, c.length), c.expected);
    }
    auto body = std::dynamic_pointer_cast<IRichTextItem>(doc->GetFirstItem(u"Body"));
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetFormattedText(true, 80), u"Hello world\r\n\r\n\r\n\r\nline one\r\nline two");
}

TEST_F(DocumentTest, AttachmentsAndEmbeddedObjectsRoundTripByteForByte) {
    const fs::path out = m_root / "out";
    fs::create_directories(out);
    auto readBack = [](const fs::path& file) {
        QFile f(QString::fromStdU16String(file.u16string()));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll().toStdString();
    };
    const std::pair<std::u16string, std::string> attachments[] = {
        {u"data.bin", binary}, {u"empty.txt", ""}, {u"报告.txt", "\xE4\xB8\xAD\r\n"}};
    EXPECT_EQ(Texts(db->GetView(u"V")->GetNthDocument(1)->GetItemValue(u"$FILE")),
              std::vector<std::u16string>{u"data.bin"});
    const Variant names =
        localSession()->Evaluate(u"@AttachmentNames", Variant(std::static_pointer_cast<IDispatchObject>(doc)));
    EXPECT_EQ(Texts(names), (std::vector<std::u16string>{u"data.bin", u"empty.txt", u"报告.txt"}));
    for (const auto& [name, bytes] : attachments) {
        auto attachment = doc->GetAttachment(name);
        ASSERT_TRUE(attachment) << Utf16ToUtf8(name);
        EXPECT_EQ(attachment->Name(), name);
        attachment->ExtractFile(U16(out / name));
        EXPECT_EQ(readBack(out / name), bytes);
    }
    EXPECT_TRUE(doc->GetAttachment(u"DATA.BIN"));
    EXPECT_FALSE(doc->GetAttachment(u"plan.rtf")); // an embedded object, not an attachment
    EXPECT_FALSE(doc->GetAttachment(u"missing"));

    auto body = std::dynamic_pointer_cast<IRichTextItem>(doc->GetFirstItem(u"Body"));
    EXPECT_EQ(Texts(body->EmbeddedObjects()), (std::vector<std::u16string>{u"data.bin", u"plan.rtf"}));
    auto plan = body->GetEmbeddedObject(u"plan.rtf");
    ASSERT_TRUE(plan);
    plan->ExtractFile(U16(out / "plan.rtf"));
    EXPECT_EQ(readBack(out / "plan.rtf"), "{\\rtf1 plan}");
    body->GetEmbeddedObject(u"data.bin")->ExtractFile(U16(out / "again.bin"));
    EXPECT_EQ(readBack(out / "again.bin"), binary);
    // Extracting over an existing file replaces it.
    plan->ExtractFile(U16(out / "again.bin"));
    EXPECT_EQ(readBack(out / "again.bin"), "{\\rtf1 plan}");
    EXPECT_FALSE(body->GetEmbeddedObject(u"empty.txt")); // not referred to by this item
    auto plain = std::dynamic_pointer_cast<IRichTextItem>(doc->GetFirstItem(u"Plain"));
    EXPECT_TRUE(plain->EmbeddedObjects().isEmpty());
    EXPECT_FALSE(plain->GetEmbeddedObject(u"plan.rtf"));
}

TEST_F(DocumentTest, ExtractFileFailureGivesTheCause) {
    auto attachment = doc->GetAttachment(u"data.bin");
    const fs::path target = m_root / "no" / "such" / "folder" / "data.bin";
    EXPECT_EQ(ErrorOf([&] { attachment->ExtractFile(U16(target)); }), u"无法写入文件：文件或文件夹不存在");
    fs::create_directories(m_root / "dir.bin");
    EXPECT_EQ(ErrorOf([&] { attachment->ExtractFile(U16(m_root / "dir.bin")); }), u"无法写入文件：已有同名的文件夹");
    EXPECT_FALSE(ErrorOf([&] { attachment->ExtractFile(u""); }).empty());
    for (const auto& entry : fs::directory_iterator(m_root))
        EXPECT_NE(entry.path().filename().string().rfind(".vdx", 0), 0u) << "a temporary file was left";
}

TEST_F(DocumentTest, EvaluateNeedsADocumentOfThisStore) {
    auto session = localSession();
    EXPECT_EQ(session->Evaluate(u"@AttachmentNames",
                                Variant(std::static_pointer_cast<IDispatchObject>(db->GetDocumentByUNID(unids[1])))),
              Variant(Variant::Array{Variant(u"")}));
    EXPECT_FALSE(ErrorOf([&] { session->Evaluate(u"@AttachmentNames", Variant()); }).empty());
    EXPECT_FALSE(ErrorOf([&] {
                     session->Evaluate(u"@Nonsense(", Variant(std::static_pointer_cast<IDispatchObject>(doc)));
                 }).empty());
}

} // namespace
