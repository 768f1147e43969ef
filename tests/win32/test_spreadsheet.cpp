// The spreadsheet automation: the calls each member makes on the application object, and the
// failures when no spreadsheet program is there or the program gives no object.
#include "TestServer.h"

#include "win32/Win32ComClassFactory.h"
#include "win32/Win32SpreadsheetAutomation.h"

#include "support/OleError.h"

#include <gtest/gtest.h>

using namespace win32;
using testserver::FakeCall;
using testserver::FakeDispatch;

namespace {

class Spreadsheet : public ::testing::Test {
protected:
    using Fake = testserver::FakeObject;

    ComApartment apartment;
    Fake appF, booksF, bookF, sheetF, columnF, cellF;
    // Every call on any object, in order, with its arguments.
    std::vector<std::u16string> calls;

    void SetUp() override {
        appF->DefineObject(u"WorkBooks", booksF.get());
        booksF->Define(u"Add", [this](FakeCall& call) { return call.ReturnObject(bookF.get()); });
        appF->DefineObject(u"ActiveSheet", sheetF.get());
        sheetF->Define(u"Columns", [this](FakeCall& call) {
            calls.push_back(u"columns(" + call.TextArg(0) + u")");
            return call.ReturnObject(columnF.get());
        });
        columnF->Define(u"ColumnWidth", [this](FakeCall& call) {
            calls.push_back(u"columnwidth=" + AsText(call.value));
            return S_OK;
        });
        appF->Define(u"Cells", [this](FakeCall& call) {
            calls.push_back(u"cells(" + call.TextArg(0) + u"," + call.TextArg(1) + u")");
            return call.ReturnObject(cellF.get());
        });
        cellF->Define(u"NumberFormatLocal", [this](FakeCall& call) {
            calls.push_back(u"format=" + AsText(call.value));
            return S_OK;
        });
        cellF->Define(u"Value", [this](FakeCall& call) {
            calls.push_back(u"value=" + AsText(call.value));
            return S_OK;
        });
        appF->DefineObject(u"ActiveWorkbook", bookF.get());
        bookF->Define(u"SaveAs", [this](FakeCall& call) {
            if (call.TextArg(0).find(u"readonly") != std::u16string::npos)
                return call.Raise(u"Cannot access the file", static_cast<HRESULT>(0x800A03EC));
            calls.push_back(u"saveas(" + call.TextArg(0) + u"," + call.TextArg(1) + u")");
            return S_OK;
        });
        appF->Define(u"Quit", [this](FakeCall&) {
            calls.push_back(u"quit");
            return S_OK;
        });
    }

    void TearDown() override {
        for (const Fake* fake : {&appF, &booksF, &bookF, &sheetF, &columnF, &cellF})
            EXPECT_EQ(fake->raw->references(), 1u);
    }
};

} // namespace

TEST(SpreadsheetProgram, MissingProgramRaisesInvalidClassString) {
    ComApartment apartment;
    Win32SpreadsheetAutomation automation;
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { automation.CreateApplication(WorkbookFormat::Xls); }, &message),
              hresult::kInvalidClassString);
    EXPECT_FALSE(message.empty());
}

TEST_F(Spreadsheet, EachMemberMakesItsCalls) {
    auto app = WrapSpreadsheetApplication(appF.get());
    app->AddWorkbook();
    EXPECT_EQ(appF->log, std::vector<std::u16string>{u"WorkBooks"});
    EXPECT_EQ(booksF->log, std::vector<std::u16string>{u"Add"});

    app->SetColumnWidth(3, 25);
    EXPECT_EQ(sheetF->lastTypes[u"Columns"], std::vector<VARTYPE>{VT_I4});
    app->SetCellNumberFormat(2, 7, u"@");
    app->SetCellValue(2, 7, u"0012 \u00e9");
    app->SaveActiveWorkbookAs(u"C:\\out\\book.xls");
    app->Quit();
    EXPECT_EQ(calls,
              (std::vector<std::u16string>{u"columns(3)", u"columnwidth=25", u"cells(2,7)", u"format=@", u"cells(2,7)",
                                           u"value=0012 \u00e9", u"saveas(C:\\out\\book.xls,56)", u"quit"}));
    EXPECT_EQ(cellF->lastPut[u"Value"], Variant(u"0012 \u00e9"));
}

TEST_F(Spreadsheet, ANewSheetGoesAfterTheLastOne) {
    Fake sheetsF, lastF;
    bookF->DefineObject(u"Worksheets", sheetsF.get());
    sheetsF->Define(u"Count", [](FakeCall& call) { return call.ReturnInt(3); });
    sheetsF->Define(u"Item", [&](FakeCall& call) {
        calls.push_back(u"item(" + call.TextArg(0) + u")");
        return call.ReturnObject(lastF.get());
    });
    sheetsF->Define(u"Add", [&](FakeCall& call) { return call.ReturnObject(sheetF.get()); });
    WrapSpreadsheetApplication(appF.get())->AddSheet();
    EXPECT_EQ(calls, std::vector<std::u16string>{u"item(3)"});
    EXPECT_EQ(sheetsF->lastTypes[u"Add"], (std::vector<VARTYPE>{VT_ERROR, VT_DISPATCH}));
    EXPECT_EQ(lastF.raw->references(), 1u);
}

TEST_F(Spreadsheet, ASheetIsActivatedByItsNumberAndNamedThroughTheActiveSheet) {
    Fake sheetsF, itemF;
    bookF->DefineObject(u"Worksheets", sheetsF.get());
    sheetsF->Define(u"Item", [&](FakeCall& call) {
        calls.push_back(u"item(" + call.TextArg(0) + u")");
        return call.ReturnObject(itemF.get());
    });
    itemF->Define(u"Activate", [&](FakeCall&) {
        calls.push_back(u"activate");
        return S_OK;
    });
    sheetF->Define(u"Name", [&](FakeCall& call) {
        calls.push_back(u"name=" + AsText(call.value));
        return S_OK;
    });
    auto app = WrapSpreadsheetApplication(appF.get());
    app->ActivateSheet(2);
    app->SetSheetName(u"文档1-65535");
    EXPECT_EQ(calls, (std::vector<std::u16string>{u"item(2)", u"activate", u"name=文档1-65535"}));
    EXPECT_EQ(itemF.raw->references(), 1u);
}

TEST_F(Spreadsheet, AnXlsxWorkbookIsSavedInThatFormat) {
    WrapSpreadsheetApplication(appF.get(), WorkbookFormat::Xlsx)->SaveActiveWorkbookAs(u"C:\\out\\book.xlsx");
    EXPECT_EQ(calls, std::vector<std::u16string>{u"saveas(C:\\out\\book.xlsx,51)"});
}

TEST_F(Spreadsheet, ErrorsOfTheProgramPropagate) {
    auto app = WrapSpreadsheetApplication(appF.get());
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { app->SaveActiveWorkbookAs(u"C:\\readonly\\book.xls"); }, &message),
              static_cast<int32_t>(0x800A03EC));
    EXPECT_EQ(message, u"Cannot access the file");
}

TEST_F(Spreadsheet, NoActiveWorkbookOrSheetIsAFailureNotACrash) {
    appF->DefineObject(u"ActiveWorkbook", nullptr);
    appF->DefineObject(u"ActiveSheet", nullptr);
    auto app = WrapSpreadsheetApplication(appF.get());
    std::u16string message;
    EXPECT_EQ(OleErrorCode([&] { app->SaveActiveWorkbookAs(u"C:\\book.xls"); }, &message), hresult::kPointer);
    EXPECT_NE(message.find(u"activeworkbook"), std::u16string::npos);
    EXPECT_EQ(OleErrorCode([&] { app->SetColumnWidth(1, 10); }), hresult::kPointer);
    EXPECT_TRUE(calls.empty());
}
