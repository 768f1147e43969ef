#include "win32/Win32SpreadsheetAutomation.h"

#include "win32/Dispatch.h"

#include <objbase.h>

namespace win32 {

namespace {

// An object the application must give (a sheet, a range, a workbook); Nothing is a failure,
// as when no workbook is open.
DispatchPtr Required(OwnedVariant value, std::u16string_view member) {
    auto object = AsObject(value);
    if (!object)
        throw EOleException(u"The spreadsheet program returned no object for " + std::u16string(member), E_POINTER);
    return object;
}

// An optional argument left out.
OwnedVariant MissingArg() {
    OwnedVariant v;
    v.get()->vt = VT_ERROR;
    v.get()->scode = DISP_E_PARAMNOTFOUND;
    return v;
}

class Win32SpreadsheetApplication : public ISpreadsheetApplication {
public:
    Win32SpreadsheetApplication(DispatchPtr application, WorkbookFormat format)
        : m_app(std::move(application)), m_format(format) {}

    void AddWorkbook() override {
        const auto books = Required(Call(m_app.get(), u"WorkBooks"), u"WorkBooks");
        Call(books.get(), u"Add");
    }

    void AddSheet() override {
        const auto book = Required(Call(m_app.get(), u"activeworkbook"), u"activeworkbook");
        const auto sheets = Required(Call(book.get(), u"Worksheets"), u"Worksheets");
        const auto last = Required(Call(sheets.get(), u"Item", AsInt(Call(sheets.get(), u"Count"))), u"Item");
        Call(sheets.get(), u"Add", MissingArg(), last); // Before: left out; After: the last sheet
    }

    void ActivateSheet(int32_t index) override {
        const auto book = Required(Call(m_app.get(), u"activeworkbook"), u"activeworkbook");
        const auto sheets = Required(Call(book.get(), u"Worksheets"), u"Worksheets");
        Call(Required(Call(sheets.get(), u"Item", index), u"Item").get(), u"Activate");
    }

    void SetSheetName(const std::u16string& name) override {
        Put(Required(Call(m_app.get(), u"activesheet"), u"activesheet").get(), u"Name", name);
    }

    void SetColumnWidth(int32_t column, int32_t width) override {
        const auto sheet = Required(Call(m_app.get(), u"activesheet"), u"activesheet");
        const auto columns = Required(Call(sheet.get(), u"columns", column), u"columns");
        Put(columns.get(), u"columnwidth", width);
    }

    void SetCellNumberFormat(int32_t row, int32_t column, const std::u16string& format) override {
        Put(Cell(row, column).get(), u"NumberFormatLocal", format);
    }

    void SetCellValue(int32_t row, int32_t column, std::u16string_view text) override {
        Put(Cell(row, column).get(), u"value", std::u16string(text));
    }

    void SaveActiveWorkbookAs(const std::u16string& path) override {
        const auto book = Required(Call(m_app.get(), u"activeworkbook"), u"activeworkbook");
        // The format is given, so that a name's ending never holds a file of the program's default.
        Call(book.get(), u"SaveAs", path, FormatInfo(m_format).saveAsNumber);
    }

    void Quit() override { Call(m_app.get(), u"quit"); }

private:
    DispatchPtr Cell(int32_t row, int32_t column) {
        return Required(Call(m_app.get(), u"cells", row, column), u"cells");
    }

    DispatchPtr m_app;
    WorkbookFormat m_format;
};

} // namespace

std::unique_ptr<ISpreadsheetApplication> WrapSpreadsheetApplication(IDispatch* application, WorkbookFormat format) {
    return std::make_unique<Win32SpreadsheetApplication>(DispatchPtr::Share(application), format);
}

} // namespace win32

std::unique_ptr<ISpreadsheetApplication> Win32SpreadsheetAutomation::CreateApplication(WorkbookFormat format) {
    CLSID id{};
    win32::Check(CLSIDFromProgID(L"Excel.Application", &id));
    IDispatch* raw = nullptr;
    win32::Check(CoCreateInstance(id, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&raw)));
    auto app = win32::DispatchPtr::Attach(raw);
    if (!app)
        throw EOleException(win32::SystemMessage(E_POINTER), E_POINTER);
    return win32::WrapSpreadsheetApplication(app.get(), format);
}
