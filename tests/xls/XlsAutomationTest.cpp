// The portable automation back end: calls counted from 1 reach the right cells, and every
// failure arrives as EOleException with a message that says what went wrong.
#include "BiffReader.h"
#include "export/SpreadsheetTestDoubles.h"

#include "xls/XlsSpreadsheetAutomation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace xlstest;

namespace {

// Runs call and returns the EOleException it raises.
template <typename Call> EOleException raised(Call call) {
    try {
        call();
    } catch (const EOleException& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return EOleException(u"", 0);
}

class XlsAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() /
                   ("xls-automation-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_app = XlsSpreadsheetAutomation().CreateApplication(WorkbookFormat::Xls);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::u16string path(const std::string& name) const { return (m_folder / name).u16string(); }

    static std::vector<Record> sheetRecords(const std::u16string& file) {
        std::ifstream in(std::filesystem::path(file), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<Record> all = ReadRecords(ReadContainer(bytes).stream);
        auto sheetBof = std::find_if(all.begin() + 1, all.end(), [](const Record& r) { return r.type == 0x0809; });
        return {sheetBof, all.end()};
    }

    std::filesystem::path m_folder;
    std::unique_ptr<ISpreadsheetApplication> m_app;
};

} // namespace

TEST_F(XlsAutomationTest, CallsCountFromOne) {
    m_app->AddWorkbook();
    m_app->SetColumnWidth(1, 40);
    m_app->SetCellNumberFormat(1, 2, u"@");
    m_app->SetCellValue(1, 2, u"123");
    m_app->SetCellValue(1, 1, u"文档ID");
    m_app->SetCellValue(2, 1, u"id");
    const std::u16string file = path("out.xls");
    m_app->SaveActiveWorkbookAs(file);
    m_app->Quit();

    std::vector<Record> cells, widths;
    for (const Record& r : sheetRecords(file)) {
        if (r.type == 0x00FD)
            cells.push_back(r);
        if (r.type == 0x007D)
            widths.push_back(r);
    }
    ASSERT_EQ(widths.size(), 1u);
    EXPECT_EQ(U16(widths[0].data, 0), 0u);
    EXPECT_EQ(U16(widths[0].data, 4), 10422u);
    ASSERT_EQ(cells.size(), 3u);
    const uint32_t expected[3][3] = {{0, 0, 15}, {0, 1, 16}, {1, 0, 15}}; // row, column, XF
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(U16(cells[i].data, 0), expected[i][0]) << i;
        EXPECT_EQ(U16(cells[i].data, 2), expected[i][1]) << i;
        EXPECT_EQ(U16(cells[i].data, 4), expected[i][2]) << i;
    }
}

TEST_F(XlsAutomationTest, FailuresAreOleErrors) {
    EXPECT_NE(raised([&] { m_app->SetCellValue(1, 1, u"x"); }).message().find(u"No workbook"), std::u16string::npos);
    m_app->AddWorkbook();

    struct Case {
        int32_t row, column;
        std::u16string named;
    };
    const Case cases[] = {
        {65537, 1, u"65536"}, {1, 257, u"256"}, {0, 1, u"Row 0"}, {1, 0, u"Column 0"}, {-5, 1, u"Row -5"},
    };
    for (const Case& c : cases) {
        const EOleException value = raised([&] { m_app->SetCellValue(c.row, c.column, u"x"); });
        EXPECT_NE(value.message().find(c.named), std::u16string::npos) << value.what();
        EXPECT_EQ(value.code(), hresult::kBadIndex);
        const EOleException format = raised([&] { m_app->SetCellNumberFormat(c.row, c.column, u"@"); });
        EXPECT_NE(format.message().find(c.named), std::u16string::npos) << format.what();
    }
    EXPECT_NO_THROW(m_app->SetCellValue(65536, 256, u"last"));
    EXPECT_NO_THROW(m_app->SetCellNumberFormat(1, 1, u"General"));
    EXPECT_NE(raised([&] { m_app->SetCellNumberFormat(1, 1, u"0.00"); }).message().find(u"0.00"), std::u16string::npos);
    EXPECT_NE(raised([&] { m_app->SetColumnWidth(1, 300); }).message().find(u"255"), std::u16string::npos);
    EXPECT_NE(raised([&] { m_app->SetColumnWidth(257, 10); }).message().find(u"256"), std::u16string::npos);

    const std::u16string missing = path("missing/out.xls");
    const EOleException save = raised([&] { m_app->SaveActiveWorkbookAs(missing); });
    EXPECT_EQ(save.message(), u"文件或文件夹不存在") << save.what(); // the cause, in the program's words
    EXPECT_FALSE(std::filesystem::exists(m_folder / "missing"));

    m_app->Quit();
    EXPECT_NE(raised([&] { m_app->AddWorkbook(); }).message().find(u"quit"), std::u16string::npos);
}

// The test doubles the export's tests use: creation failing, calls recorded, one call failing.
TEST(XlsSpreadsheetTestDoubles, FailAndRecord) {
    using namespace spreadsheettest;
    FailingSpreadsheetAutomation failing;
    EXPECT_EQ(raised([&] { failing.CreateApplication(WorkbookFormat::Xls); }).code(), hresult::kInvalidClassString);

    RecordingSpreadsheetAutomation recording;
    recording.log->failKind = SpreadsheetCall::Kind::SetCellValue;
    recording.log->failAt = 2;
    {
        auto app = recording.CreateApplication(WorkbookFormat::Xls);
        app->AddWorkbook();
        app->SetCellValue(1, 1, u"a");
        EXPECT_EQ(raised([&] { app->SetCellValue(2, 1, u"b"); }).message(), u"Automation call failed");
        app->SetCellValue(3, 1, u"c");
        app->Quit();
    }
    const SpreadsheetLog& log = *recording.log;
    EXPECT_EQ(log.applicationsReleased, 1);
    EXPECT_EQ(log.calls.size(), 4u);
    EXPECT_EQ(log.of(SpreadsheetCall::Kind::SetCellValue).size(), 2u);
    EXPECT_EQ(*log.value(3, 1), u"c");
    EXPECT_EQ(log.value(2, 1), nullptr);
}
