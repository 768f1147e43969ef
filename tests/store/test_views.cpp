// View design, order, selection, the stored index as documents are added, walking a view, and
// column values.
#include "StoreFixture.h"

#include "store/ViewIndexer.h"

using namespace storetest;
using store::sort_order::kAscending;
using store::sort_order::kDescending;

namespace {

class ViewTest : public StoreTest {
protected:
    // The values of column 0 of every document, walking with GetNthDocument(1) and GetNextDocument.
    static std::vector<std::u16string> Walk(IView& view) {
        std::vector<std::u16string> out;
        for (auto doc = view.GetNthDocument(1); doc; doc = view.GetNextDocument(doc)) {
            const Variant v = doc->ColumnValues().asArray().at(0);
            out.push_back(v.kind() == Variant::Kind::Number ? Utf8ToUtf16(std::to_string(int(v.asNumber())))
                                                            : v.asText());
        }
        return out;
    }

    static store::NoteData Doc(std::u16string name, double amount, std::u16string form = u"Memo") {
        return Note(std::move(form),
                    {TextItem(u"Name", {std::move(name)}), store::ItemData(NumberItem(u"Amount", {amount}))});
    }
};

TEST_F(ViewTest, ViewsInDatabaseOrderWithHiddenOnesAndLookupByNameOrAlias) {
    makeDb("a.nsf",
           {View(u"By Name", u"ByName|Names", u"SELECT @All", {Column(u"Name", u"Name")}),
            View(u"($All)", u"", u"SELECT @All", {}), View(u"Sales\\2024", u"", u"SELECT @All", {}),
            View(u"客户列表", u"Customers", u"SELECT @All", {})},
           {});
    auto db = openLocal("a.nsf");
    EXPECT_EQ(Texts(db->Views()), (std::vector<std::u16string>{u"By Name", u"($All)", u"Sales\\2024", u"客户列表"}));
    for (const std::u16string name : {u"By Name", u"by name", u"BYNAME", u"names", u"($all)", u"sales\\2024"})
        EXPECT_NO_THROW(EXPECT_TRUE(db->GetView(name))) << Utf16ToUtf8(name);
    EXPECT_EQ(db->GetView(u"customers")->Name(), u"客户列表");
    EXPECT_EQ(db->GetView(u"names")->Name(), u"By Name");
    int32_t code = 0;
    EXPECT_FALSE(ErrorOf([&] { db->GetView(u"Nope"); }, &code).empty());
    EXPECT_EQ(code, store::notes_code::kNoSuchView);
    EXPECT_FALSE(ErrorOf([&] { db->GetView(u"ByName|Names"); }).empty());
}

TEST_F(ViewTest, OrderFollowsSortedColumnsElseCreation) {
    std::vector<store::NoteData> notes;
    for (auto [name, amount] : std::vector<std::pair<std::u16string, double>>{
             {u"delta", 4}, {u"Alpha", 1}, {u"charlie", 3}, {u"bravo", 2}, {u"alpha", 5}, {u"", 0}})
        notes.push_back(Doc(name, amount));
    makeDb("a.nsf",
           {View(u"Creation", u"", u"SELECT @All", {Column(u"Name", u"Name")}),
            View(u"Name up", u"", u"SELECT @All", {Column(u"Name", u"Name", kAscending)}),
            View(u"Name down", u"", u"SELECT @All", {Column(u"Name", u"Name", kDescending)}),
            View(u"Amount down", u"", u"SELECT @All",
                 {Column(u"Amount", u"Amount", kDescending), Column(u"Name", u"Name")})},
           std::move(notes));
    auto db = openLocal("a.nsf");
    using V = std::vector<std::u16string>;
    EXPECT_EQ(Walk(*db->GetView(u"Creation")), (V{u"delta", u"Alpha", u"charlie", u"bravo", u"alpha", u""}));
    // Letter case is ignored; equal keys keep creation order; empty values come first.
    EXPECT_EQ(Walk(*db->GetView(u"Name up")), (V{u"", u"Alpha", u"alpha", u"bravo", u"charlie", u"delta"}));
    EXPECT_EQ(Walk(*db->GetView(u"Name down")), (V{u"delta", u"charlie", u"bravo", u"Alpha", u"alpha", u""}));
    EXPECT_EQ(Walk(*db->GetView(u"Amount down")), (V{u"5", u"4", u"3", u"2", u"1", u"0"}));
}

TEST_F(ViewTest, MixedValueKindsAndNegativeNumbersSort) {
    makeDb("a.nsf", {View(u"V", u"", u"SELECT @All", {Column(u"X", u"X", kAscending)})},
           {Note(u"F", {NumberItem(u"X", {2.5})}), Note(u"F", {NumberItem(u"X", {-10})}),
            Note(u"F", {TextItem(u"X", {u"b"})}), Note(u"F", {DateItem(u"X", {45000})}),
            Note(u"F", {NumberItem(u"X", {-0.5})}), Note(u"F", {}), Note(u"F", {NumberItem(u"X", {100})})});
    auto view = openLocal("a.nsf")->GetView(u"V");
    std::vector<std::u16string> kinds;
    for (auto doc = view->GetNthDocument(1); doc; doc = view->GetNextDocument(doc)) {
        const Variant v = doc->ColumnValues().asArray().at(0);
        kinds.push_back(v.kind() == Variant::Kind::Number     ? Utf8ToUtf16(std::to_string(v.asNumber()))
                        : v.kind() == Variant::Kind::DateTime ? u"date"
                                                              : u"text:" + v.asText());
    }
    EXPECT_EQ(kinds, (std::vector<std::u16string>{u"text:", u"-10.000000", u"-0.500000", u"2.500000", u"100.000000",
                                                  u"date", u"text:b"}));
}

TEST_F(ViewTest, SelectionFormulas) {
    std::vector<store::NoteData> notes = {
        Note(u"Memo", {TextItem(u"Name", {u"m1"}), TextItem(u"Status", {u"Draft"})}),
        Note(u"Memo",
             {TextItem(u"Name", {u"m2"}), TextItem(u"Status", {u"Sent"}), TextItem(u"Tags", {u"red", u"blue"})}),
        Note(u"Reply", {TextItem(u"Name", {u"r1"}), NumberItem(u"Amount", {5})}),
        Note(u"Task", {TextItem(u"Name", {u"t1"}), RichItem(u"Body", "<richtext><par>x</par></richtext>")}),
    };
    makeDb("a.nsf", {}, std::move(notes));
    auto db = store::DatabaseWriter::Open(dataDir / "a.nsf");
    struct Case {
        std::u16string selection;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {u"SELECT @All", {u"m1", u"m2", u"r1", u"t1"}},
        {u"SELECT Form = \"Memo\"", {u"m1", u"m2"}},
        {u"select form = \"memo\"", {u"m1", u"m2"}},
        {u"SELECT Form = \"Memo\" | Form = \"Reply\"", {u"m1", u"m2", u"r1"}},
        {u"SELECT !(Form = \"Memo\")", {u"r1", u"t1"}},
        {u"SELECT Form != \"Memo\"", {u"r1", u"t1"}},
        {u"SELECT @IsAvailable(Status) & Status != \"Draft\"", {u"m2"}},
        {u"SELECT !@IsAvailable(Status)", {u"r1", u"t1"}},
        {u"SELECT Form = \"Memo\" | Form = \"Reply\" & @IsAvailable(Amount)", {u"r1"}}, // left to right
        {u"SELECT Tags = \"blue\"", {u"m2"}},
        {u"SELECT Tags = \"red\":\"green\"", {u"m2"}},
        {u"SELECT Amount > 3", {u"r1"}},
        {u"SELECT Amount * 2 = 10", {u"r1"}},
        {u"SELECT @IsAvailable(Body)", {}}, // rich text is not a summary item
        {u"Form = \"Task\"", {u"t1"}},
        {u"SELECT @Contains(Name; \"1\")", {u"m1", u"r1", u"t1"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        db->addView(View(u"v" + Utf8ToUtf16(std::to_string(i)), u"", cases[i].selection, {Column(u"Name", u"Name")}));
    db->commit();
    auto database = openLocal("a.nsf");
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(Utf16ToUtf8(cases[i].selection));
        EXPECT_EQ(Walk(*database->GetView(u"v" + Utf8ToUtf16(std::to_string(i)))), cases[i].names);
    }
}

TEST_F(ViewTest, NthAndNextAtTheEnds) {
    makeDb("a.nsf",
           {View(u"V", u"", u"SELECT @All", {Column(u"Name", u"Name", kAscending)}),
            View(u"Empty", u"", u"SELECT @False", {})},
           {Doc(u"c", 3), Doc(u"a", 1), Doc(u"b", 2)});
    auto db = openLocal("a.nsf");
    auto view = db->GetView(u"V");
    EXPECT_EQ(view->AllEntries()->Count(), 3);
    EXPECT_FALSE(view->GetNthDocument(0));
    EXPECT_FALSE(view->GetNthDocument(-1));
    EXPECT_FALSE(view->GetNthDocument(4));
    auto last = view->GetNthDocument(3);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->ColumnValues().asArray().at(0).asText(), u"c");
    EXPECT_FALSE(view->GetNextDocument(last));
    auto second = view->GetNthDocument(2);
    EXPECT_EQ(view->GetNextDocument(second)->UniversalID(), last->UniversalID());

    auto empty = db->GetView(u"Empty");
    EXPECT_EQ(empty->AllEntries()->Count(), 0);
    EXPECT_EQ(empty->ColumnCount(), 0);
    EXPECT_TRUE(empty->ColumnNames().asArray().empty());
    EXPECT_FALSE(empty->GetNthDocument(1));

    // A document fetched by its UNID walks on from its place in the view; one not in it fails.
    auto byUnid = db->GetDocumentByUNID(second->UniversalID());
    EXPECT_TRUE(byUnid->ColumnValues().isEmpty());
    EXPECT_EQ(view->GetNextDocument(byUnid)->UniversalID(), last->UniversalID());
    EXPECT_FALSE(ErrorOf([&] { empty->GetNextDocument(byUnid); }).empty());
    EXPECT_FALSE(ErrorOf([&] { view->GetNextDocument(nullptr); }).empty());
}

TEST_F(ViewTest, WalkingGivesEachDocumentItsOwnItemsAndFiles) {
    // Documents read together are read by runs of close note ids (passing over notes between
    // that the view leaves out) or one by one; either way each gets its own items and files, and
    // a damaged one fails alone.
    std::vector<store::NoteData> notes;
    for (int i = 0; i < 60; ++i) {
        const bool left = i % 4 == 1 || (i >= 20 && i < 26) || (i > 44 && i % 4 != 0);
        auto note = Doc(u"n" + Utf8ToUtf16(std::to_string(i)), i, left ? u"Left" : u"Memo");
        if (i % 3 == 0)
            note.files.push_back(FileObject(u"f" + Utf8ToUtf16(std::to_string(i)) + u".txt", "x"));
        notes.push_back(std::move(note));
    }
    makeDb("w.nsf",
           {View(u"Natural", u"", u"SELECT Form = \"Memo\"", {Column(u"Name", u"Name")}),
            View(u"Sorted", u"", u"SELECT Form = \"Memo\"", {Column(u"Amount", u"Amount", kDescending)})},
           std::move(notes));
    {
        store::sql::Connection db(dataDir / "w.nsf", store::sql::Connection::Mode::ReadWrite);
        db.exec("UPDATE items SET value = x'54FFFFFF7F' WHERE name = 'Name' AND note_id = "
                "(SELECT note_id FROM items WHERE name = 'Amount' AND value = (SELECT value FROM items "
                "WHERE name = 'Amount' LIMIT 1 OFFSET 12))");
        db.exec("UPDATE items SET value = x'54FFFFFF7F' WHERE name = 'Name' AND note_id = "
                "(SELECT note_id FROM items WHERE name = 'Amount' AND value = (SELECT value FROM items "
                "WHERE name = 'Amount' LIMIT 1 OFFSET 48))");
    }
    auto database = openLocal("w.nsf");
    for (const auto* name : {u"Natural", u"Sorted"}) {
        auto view = database->GetView(name);
        int documents = 0, damaged = 0, sum = 0;
        for (auto doc = view->GetNthDocument(1); doc; doc = view->GetNextDocument(doc), ++documents) {
            if (OleErrorCode([&] { doc->HasEmbedded(); }) != 0) {
                ++damaged;
                continue;
            }
            const int i = static_cast<int>(doc->GetItemValue(u"Amount").asArray().at(0).asNumber());
            const std::u16string number = Utf8ToUtf16(std::to_string(i));
            sum += i;
            EXPECT_EQ(doc->GetItemValue(u"Name").asArray().at(0).asText(), u"n" + number);
            EXPECT_EQ(doc->HasEmbedded(), i % 3 == 0) << i;
            EXPECT_EQ(doc->GetAttachment(u"f" + number + u".txt") != nullptr, i % 3 == 0) << i;
        }
        EXPECT_EQ(documents, 33);
        EXPECT_EQ(damaged, 2);
        EXPECT_EQ(sum, 826 - 12 - 48); // 0 to 44 but for 1, 5, 9, ... and 20 to 25, then 48, 52, 56
    }
}

TEST_F(ViewTest, WalkingALargeViewReadsAheadWhatItWouldHaveRead) {
    // Runs of entries after the first are read ahead on another thread: every document still gets
    // its own items and files, a damaged one fails alone, and a jump reads afresh.
    std::vector<store::NoteData> notes;
    int expectedDocuments = 0, expectedSum = 0;
    for (int i = 0; i < 700; ++i) {
        const bool left = i % 7 == 1;
        auto note = Doc(u"n" + Utf8ToUtf16(std::to_string(i)), i, left ? u"Left" : u"Memo");
        if (i % 3 == 0)
            note.files.push_back(FileObject(u"f" + Utf8ToUtf16(std::to_string(i)) + u".txt", "x"));
        notes.push_back(std::move(note));
        if (!left && i != 300 && i != 555)
            ++expectedDocuments, expectedSum += i;
    }
    makeDb("big.nsf",
           {View(u"Natural", u"", u"SELECT Form = \"Memo\"", {Column(u"Name", u"Name")}),
            View(u"Sorted", u"", u"SELECT Form = \"Memo\"", {Column(u"Amount", u"Amount", kDescending)})},
           std::move(notes));
    {
        store::sql::Connection db(dataDir / "big.nsf", store::sql::Connection::Mode::ReadWrite);
        db.exec("UPDATE items SET value = x'54FFFFFF7F' WHERE name = 'Name' AND note_id IN "
                "(SELECT note_id FROM items WHERE name = 'Name' AND value IN (x'54040000006E333030', "
                "x'54040000006E353535'))");
    }
    auto database = openLocal("big.nsf");
    for (const auto* name : {u"Natural", u"Sorted"}) {
        auto view = database->GetView(name);
        int documents = 0, damaged = 0, sum = 0;
        for (auto doc = view->GetNthDocument(1); doc; doc = view->GetNextDocument(doc)) {
            if (OleErrorCode([&] { doc->GetItemValue(u"Name"); }) != 0) {
                ++damaged;
                continue;
            }
            ++documents;
            const int i = static_cast<int>(doc->GetItemValue(u"Amount").asArray().at(0).asNumber());
            const std::u16string number = Utf8ToUtf16(std::to_string(i));
            sum += i;
            EXPECT_EQ(doc->GetItemValue(u"Name").asArray().at(0).asText(), u"n" + number);
            EXPECT_EQ(doc->GetAttachment(u"f" + number + u".txt") != nullptr, i % 3 == 0) << i;
        }
        EXPECT_EQ(documents, expectedDocuments);
        EXPECT_EQ(damaged, 2);
        EXPECT_EQ(sum, expectedSum);
    }
    auto view = database->GetView(u"Natural");
    auto doc = view->GetNextDocument(view->GetNthDocument(400));
    EXPECT_EQ(doc->UniversalID(), view->GetNthDocument(401)->UniversalID());
}

TEST_F(ViewTest, ColumnValuesOnePerColumnWithArraysForMultipleValues) {
    makeDb("a.nsf",
           {View(u"V", u"", u"SELECT @All",
                 {Column(u"Name", u"Name"), Column(u"Tags", u"Tags"), Column(u"Amount", u"Amount"),
                  Column(u"Missing", u"Nope"), Column(u"Due", u"Due"), FormulaColumn(u"Files", u"@AttachmentNames"),
                  FormulaColumn(u"Sum", u"Amount + 1"), FormulaColumn(u"Bad", u"Name * 2"), Column(u"Body", u"Body")})},
           {Note(u"Memo", {TextItem(u"Name", {u"n"}), TextItem(u"Tags", {u"a", u"b", u"c"}),
                           NumberItem(u"Amount", {1.5, 2}), DateItem(u"Due", {45000.5}),
                           RichItem(u"Body", "<richtext><par>one</par><par>two</par></richtext>")})});
    auto view = openLocal("a.nsf")->GetView(u"V");
    EXPECT_EQ(view->ColumnCount(), 9);
    EXPECT_EQ(Texts(view->ColumnNames()), (std::vector<std::u16string>{u"Name", u"Tags", u"Amount", u"Missing", u"Due",
                                                                       u"Files", u"Sum", u"Bad", u"Body"}));
    const auto values = view->GetNthDocument(1)->ColumnValues().asArray();
    ASSERT_EQ(values.size(), 9u);
    EXPECT_EQ(values[0], Variant(u"n"));
    EXPECT_EQ(values[1], Variant(Variant::Array{Variant(u"a"), Variant(u"b"), Variant(u"c")}));
    EXPECT_EQ(values[2], Variant(Variant::Array{Variant(1.5), Variant(2.0)}));
    EXPECT_EQ(values[3], Variant(u""));
    EXPECT_EQ(values[4], Variant(OleDate{45000.5}));
    EXPECT_EQ(values[5], Variant(u""));
    EXPECT_EQ(values[6], Variant(Variant::Array{Variant(2.5), Variant(3.0)}));
    EXPECT_EQ(values[7], Variant(u"")); // a formula error gives no value
    EXPECT_EQ(values[8], Variant(u"one\r\ntwo"));
}

TEST_F(ViewTest, IndexStaysRightAsDocumentsAreAdded) {
    makeDb("a.nsf",
           {View(u"Sorted", u"", u"SELECT Form = \"Memo\"", {Column(u"Name", u"Name", kAscending)}),
            View(u"Plain", u"", u"SELECT @All", {Column(u"Name", u"Name")})},
           {Doc(u"b", 0), Doc(u"d", 0), Doc(u"f", 0)});
    auto reader = openLocal("a.nsf");
    auto sorted = reader->GetView(u"Sorted");
    auto held = sorted->GetNthDocument(2); // "d", held across the additions
    using V = std::vector<std::u16string>;
    const std::vector<std::pair<std::vector<std::u16string>, V>> rounds = {
        {{u"e"}, V{u"b", u"d", u"e", u"f"}},
        {{u"a", u"g"}, V{u"a", u"b", u"d", u"e", u"f", u"g"}},
        {{u"c", u"c", u"h", u"0"}, V{u"0", u"a", u"b", u"c", u"c", u"d", u"e", u"f", u"g", u"h"}},
    };
    V plain = {u"b", u"d", u"f"};
    for (const auto& [names, expected] : rounds) {
        auto writer = store::DatabaseWriter::Open(dataDir / "a.nsf");
        for (const auto& name : names) {
            writer->addNote(Doc(name, 0));
            plain.push_back(name);
        }
        writer->addNote(Doc(u"x-not-a-memo", 0, u"Other"));
        plain.push_back(u"x-not-a-memo");
        writer->commit();
        // The open database sees the additions.
        EXPECT_EQ(Walk(*sorted), expected);
        EXPECT_EQ(sorted->AllEntries()->Count(), static_cast<int32_t>(expected.size()));
        EXPECT_EQ(Walk(*reader->GetView(u"Plain")), plain);
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(sorted->GetNthDocument(static_cast<int32_t>(i + 1))->ColumnValues().asArray()[0].asText(),
                      expected[i]);
        // A document held from before walks on from its new place.
        auto next = sorted->GetNextDocument(held);
        EXPECT_EQ(next->ColumnValues().asArray()[0].asText(), u"e");
    }

    // A view added to a database with documents indexes them all.
    auto writer = store::DatabaseWriter::Open(dataDir / "a.nsf");
    writer->addView(View(u"Late", u"", u"SELECT @All", {Column(u"Name", u"Name", kDescending)}));
    writer->commit();
    EXPECT_EQ(openLocal("a.nsf")->GetView(u"Late")->AllEntries()->Count(), static_cast<int32_t>(plain.size()));
    EXPECT_EQ(Walk(*openLocal("a.nsf")->GetView(u"Late")).front(), u"x-not-a-memo");
}

TEST_F(ViewTest, UncommittedWritesLeaveTheDatabaseAsItWas) {
    makeDb("a.nsf", {View(u"V", u"", u"SELECT @All", {Column(u"Name", u"Name")})}, {Doc(u"a", 1)});
    {
        auto writer = store::DatabaseWriter::Open(dataDir / "a.nsf");
        writer->addNote(Doc(u"b", 2));
    }
    EXPECT_EQ(openLocal("a.nsf")->GetView(u"V")->AllEntries()->Count(), 1);
}

} // namespace

// A writer keeps the index in order also when it stores pending entries along the way (it does
// so every 50,000 entries, rewriting the stored ones after the first new key a chunk at a time):
// even keys in reverse order, then odd ones that fall between the first of them, end up sorted.
TEST_F(ViewTest, LargeBatchesStaySortedAcrossIntermediateMerges) {
    std::vector<store::NoteData> notes;
    for (int i = 100000; i > 0; i -= 2)
        notes.push_back(Note(u"D", {NumberItem(u"N", {double(i)})}));
    for (int i = 1; i < 20000; i += 2)
        notes.push_back(Note(u"D", {NumberItem(u"N", {double(i)})}));
    makeDb("big.nsf", {View(u"V", u"", u"SELECT @All", {Column(u"N", u"N", kAscending)})}, std::move(notes));
    auto view = openLocal("big.nsf")->GetView(u"V");
    EXPECT_EQ(view->AllEntries()->Count(), 60000);
    for (int n : {1, 2, 19999, 20000, 20001, 50001, 60000})
        EXPECT_EQ(view->GetNthDocument(n)->ColumnValues(),
                  Variant(Variant::Array{double(n <= 20000 ? n : 20000 + 2 * (n - 20000))}))
            << n;
}

TEST_F(ViewTest, AnIndexKeepsTheBeginningOfALongTextTheDocumentTheWhole) {
    const std::u16string longText(40000, u'长');
    makeDb("a.nsf", {View(u"V", u"", u"SELECT @All", {Column(u"X", u"X")})},
           {Note(u"F", {TextItem(u"X", {longText})})});
    auto doc = openLocal("a.nsf")->GetView(u"V")->GetNthDocument(1);
    EXPECT_EQ(doc->ColumnValues().asArray().at(0).asText(), longText.substr(0, store::kMaxColumnText));
    EXPECT_EQ(doc->GetItemValue(u"X").asArray().at(0).asText(), longText);
}
