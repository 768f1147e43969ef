// Files that are not sound store databases give errors, never a crash.
#include "StoreFixture.h"
#include "support/Files.h"
#include "support/StoreWalk.h"

#include <sqlite3.h>

#include <fstream>
#include <random>

using namespace storetest;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Exec(const fs::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

class RobustnessTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::vector<store::NoteData> notes;
        for (int i = 0; i < 60; ++i) {
            store::NoteData note = Note(
                u"Memo",
                {TextItem(u"Subject", {u"文档 " + Utf8ToUtf16(std::to_string(i))}), NumberItem(u"N", {double(i)}),
                 RichItem(u"Body", "<richtext><par>text " + std::to_string(i) +
                                       "<picture><gif>R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"
                                       "</gif></picture></par><par><attachmentref name='f.txt'/></par></richtext>")});
            note.files.push_back({0, u"f.txt", store::file_kind::kAttachment, {}, 0, 0, 0, std::string(500, 'x')});
            notes.push_back(std::move(note));
        }
        makeDb("good.nsf",
               {View(u"By subject", u"", u"SELECT Form = \"Memo\"",
                     {Column(u"Subject", u"Subject", store::sort_order::kAscending), Column(u"N", u"N")}),
                View(u"($All)", u"", u"SELECT @All", {})},
               std::move(notes));
        good = ReadAll(dataDir / "good.nsf");
    }

    // Opens and reads everything; only EOleException may come out. Returns the open error, if any.
    std::u16string OpenAndWalk(const fs::path& relative) {
        return storewalk::WalkDatabase(*localSession(), relative.u16string(), U16(m_root / "extract.bin"), 1000);
    }

    std::string good;
};

TEST_F(RobustnessTest, FilesThatAreNotStoreDatabases) {
    const std::u16string notDb = store::notes_text::NotADatabase();
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string header("SQLite format 3\0", 16);
    const Case cases[] = {
        {"empty.nsf", ""},
        {"short.nsf", "NSF"},
        {"text.nsf", "This is a text file, not a database.\n"},
        {"header-only.nsf", header},
        {"header-garbage.nsf", header + std::string(4080, '\x5A')},
        {"half.nsf", good.substr(0, good.size() / 2)},
        {"one-page.nsf", good.substr(0, 4096)},
        {"hundred.nsf", good.substr(0, 100)},
        {"zeroed-header.nsf", std::string(100, '\0') + good.substr(100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(dataDir / c.name, c.bytes);
        EXPECT_EQ(OpenAndWalk(c.name), notDb);
    }

    // SQLite databases that are not the store's.
    WriteAll(dataDir / "other.nsf", "");
    fs::remove(dataDir / "other.nsf");
    Exec(dataDir / "other.nsf", "CREATE TABLE customers(id INTEGER, name TEXT); INSERT INTO customers VALUES(1, 'x');");
    EXPECT_EQ(OpenAndWalk("other.nsf"), notDb);

    for (const auto& [name, sql] : std::vector<std::pair<std::string, const char*>>{
             {"wrong-id.nsf", "PRAGMA application_id = 1"},
             {"wrong-version.nsf", "UPDATE meta SET value = '2' WHERE key = 'version'"},
             {"no-views.nsf", "DROP TABLE view_columns"},
         }) {
        SCOPED_TRACE(name);
        WriteAll(dataDir / name, good);
        Exec(dataDir / name, sql);
        EXPECT_EQ(OpenAndWalk(name), notDb);
    }
}

TEST_F(RobustnessTest, DamagedContentRaisesErrorsOnly) {
    // Damage inside the data: bad value encodings, and rich text that is not XML.
    WriteAll(dataDir / "values.nsf", good);
    Exec(dataDir / "values.nsf", "UPDATE items SET value = x'54FFFFFF7F' WHERE name = 'Subject';"
                                 "UPDATE view_entries SET columns = x'0A000000';"
                                 "DELETE FROM files;");
    EXPECT_EQ(OpenAndWalk("values.nsf"), u"");
    auto doc = openLocal("values.nsf")->GetView(u"($All)")->GetNthDocument(1);
    ASSERT_TRUE(doc);
    EXPECT_EQ(ErrorOf([&] { doc->GetItemValue(u"Subject"); }), store::notes_text::NotADatabase());
    EXPECT_EQ(ErrorOf([&] { doc->ColumnValues(); }), store::notes_text::NotADatabase());

    // One damaged document among sound ones read together: only it fails.
    WriteAll(dataDir / "one.nsf", good);
    Exec(dataDir / "one.nsf", "UPDATE items SET value = x'54FFFFFF7F' WHERE name = 'Subject' AND note_id = "
                              "(SELECT note_id FROM view_entries e JOIN views v ON v.view_id = e.view_id "
                              "WHERE v.name = '($All)' AND e.position = 2);");
    const auto view = openLocal("one.nsf")->GetView(u"($All)");
    const auto first = view->GetNthDocument(1), second = view->GetNextDocument(first);
    const auto third = view->GetNextDocument(second);
    EXPECT_NO_THROW(first->GetItemValue(u"Subject"));
    EXPECT_EQ(ErrorOf([&] { second->GetItemValue(u"Subject"); }), store::notes_text::NotADatabase());
    EXPECT_NO_THROW(third->GetItemValue(u"Subject"));

    WriteAll(dataDir / "rich.nsf", good);
    Exec(dataDir / "rich.nsf", "UPDATE items SET value = '<richtext><par>unclosed' WHERE name = 'Body';");
    EXPECT_EQ(OpenAndWalk("rich.nsf"), u"");
    auto body = std::dynamic_pointer_cast<IRichTextItem>(
        openLocal("rich.nsf")->GetView(u"($All)")->GetNthDocument(1)->GetFirstItem(u"Body"));
    ASSERT_TRUE(body);
    EXPECT_EQ(ErrorOf([&] { body->GetFormattedText(true, 80); }), store::notes_text::NotADatabase());
}

TEST_F(RobustnessTest, RandomByteDamageNeverCrashes) {
    std::mt19937 random(12345);
    for (int round = 0; round < 120; ++round) {
        std::string damaged = good;
        const int flips = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < flips; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        if (round % 4 == 0) // also truncate at a random place
            damaged.resize(random() % damaged.size());
        const std::string name = "damaged" + std::to_string(round) + ".nsf";
        WriteAll(dataDir / name, damaged);
        OpenAndWalk(name);
    }
}

} // namespace
