// Formulas: the values they evaluate to on a document, and the view formulas a database refuses.
#include "StoreFixture.h"

#include "store/Formula.h"

using namespace storetest;

namespace {

class FormulaTest : public StoreTest {};

} // namespace

TEST_F(FormulaTest, Values) {
    store::NoteData note =
        Note(u"Memo", {TextItem(u"Name", {u"Abc"}), NumberItem(u"N", {2, 3}), TextItem(u"Empty", {})});
    note.unid = u"0123456789ABCDEF0123456789ABCDEF";
    note.files.push_back(store::FileData{0, u"a.txt", store::file_kind::kAttachment, {}, 0, 0, 0, {}});
    note.files.push_back(store::FileData{0, u"obj", store::file_kind::kObject, {}, 0, 0, 0, {}});
    note.files.push_back(store::FileData{0, u"b.txt", store::file_kind::kAttachment, {}, 0, 0, 0, {}});
    struct Case {
        std::u16string formula;
        store::ValueList expected;
    };
    using store::Scalar;
    const Case cases[] = {
        {u"@AttachmentNames", {Scalar(u"a.txt"), Scalar(u"b.txt")}},
        {u"@Attachments", {Scalar(2.0)}},
        {u"N + 1", {Scalar(3.0), Scalar(4.0)}},
        {u"N * N", {Scalar(4.0), Scalar(9.0)}},
        {u"-N", {Scalar(-2.0), Scalar(-3.0)}},
        {u"Name + \"-\" + @Text(N)", {Scalar(u"Abc-2"), Scalar(u"Abc-3")}},
        {u"\"a\" : \"b\" : Name", {Scalar(u"a"), Scalar(u"b"), Scalar(u"Abc")}},
        {u"@If(N = 3; \"three\"; \"other\")", {Scalar(u"three")}},
        {u"@UpperCase(Name)", {Scalar(u"ABC")}},
        {u"@Elements(N)", {Scalar(2.0)}},
        {u"@Elements(Missing)", {Scalar(0.0)}},
        {u"Missing", {Scalar(u"")}},
        {u"@DocumentUniqueID", {Scalar(u"0123456789ABCDEF0123456789ABCDEF")}},
        {u"\"say \\\"hi\\\"\"", {Scalar(u"say \"hi\"")}},
        {u"1 + 2 * 3", {Scalar(7.0)}},
        {u"Name = \"abc\"", {Scalar(1.0)}},
        {u"1; Name", {Scalar(u"Abc")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.formula));
        try {
            EXPECT_EQ(store::Formula(c.formula).evaluate(note), c.expected);
        } catch (const store::FormulaError& e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_THROW(store::Formula(u"Name * 2").evaluate(note), store::FormulaError);
    EXPECT_THROW(store::Formula(u"N / 0").evaluate(note), store::FormulaError);
}

TEST_F(FormulaTest, ViewFormulasThatDoNotParseAreRefused) {
    auto db = store::DatabaseWriter::Create(dataDir / "a.nsf", u"");
    for (const std::u16string bad : {u"SELECT Form = ", u"SELECT (Form = \"x\"", u"SELECT @NoSuchThing",
                                     u"SELECT \"open", u"SELECT Form = \"x\" )"})
        EXPECT_THROW(db->addView(View(u"v", u"", bad, {})), store::FormulaError) << Utf16ToUtf8(bad);
    EXPECT_THROW(db->addView(View(u"v", u"", u"SELECT @All", {FormulaColumn(u"c", u"1 +")})), store::FormulaError);

    // Formulas nested or chained deeper than the parser and evaluator may recurse are refused.
    const std::u16string parens = std::u16string(100000, u'(') + u"1" + std::u16string(100000, u')');
    const std::u16string nots = u"SELECT " + std::u16string(100000, u'!') + u"Form";
    std::u16string chain = u"SELECT Form";
    for (int i = 0; i < 50000; ++i)
        chain += u" | Form";
    for (const auto& deep : {parens, nots, chain})
        EXPECT_THROW(db->addView(View(u"v", u"", deep, {})), store::FormulaError);
    EXPECT_NO_THROW(db->addView(View(u"ok", u"", u"SELECT Form = \"A\" | Form = \"B\" & !@IsAvailable(X)", {})));
    // A list is one level however long (a folder of many members is one).
    std::u16string members = u"SELECT @DocumentUniqueID = \"0\"";
    for (int i = 1; i < 5000; ++i)
        members += u" : \"" + QString::number(i).toStdU16String() + u"\"";
    EXPECT_NO_THROW(db->addView(View(u"many", u"", members, {})));
}
