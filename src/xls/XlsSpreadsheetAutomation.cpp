#include "xls/XlsSpreadsheetAutomation.h"

#include "interfaces/FileSystem.h"
#include "interfaces/Translate.h"
#include "xls/CellPipe.h"
#include "xls/Workbook.h"
#include "xls/XlsxWorkbook.h"

#include <filesystem>
#include <string>

namespace {

// The number formats the application understands: text, and the default one (by its English
// and its Chinese local name).
constexpr std::u16string_view kTextFormat = u"@";
constexpr std::u16string_view kGeneralFormat = u"General";
constexpr std::u16string_view kGeneralFormatLocal = u"G/通用格式";

[[noreturn]] void Raise(const std::string& message, int32_t code) {
    throw EOleException(Utf8ToUtf16(message), code);
}

int32_t CodeOf(const xls::Error& error) {
    switch (error.code()) {
    case xls::Error::Code::RowLimit:
    case xls::Error::Code::ColumnLimit:
    case xls::Error::Code::ColumnWidth:
    case xls::Error::Code::SheetIndex:
    case xls::Error::Code::RowOrder:
        return hresult::kBadIndex;
    default:
        return hresult::kFail;
    }
}

// What the user is told of a writer's failure: the cause where the user can act on it (a file
// that cannot be written, a workbook too large), in the program's words; the writer's own text
// for the rest, which are faults of the caller.
std::string UserText(const xls::Error& error) {
    switch (error.code()) {
    case xls::Error::Code::Io:
        return error.cause() ? SystemErrorUtf8(error.cause()) : Translate("Workbook", "无法写入工作簿");
    case xls::Error::Code::TooLarge:
        return Translate("Workbook", "工作簿超出了文件格式允许的大小");
    default:
        return error.what();
    }
}

// Runs a writer call, raising its failures as automation errors.
template <typename Call> void RaisingWriterErrors(Call&& call) {
    try {
        call();
    } catch (const xls::Error& error) {
        Raise(UserText(error), CodeOf(error));
    } catch (const std::bad_alloc&) {
        Raise(Translate("Workbook", "内存不足，无法写入工作簿"), hresult::kFail);
    }
}

// Indexes below 1 are refused here; the writers check the upper limits.
void checkColumn(int32_t column) {
    if (column < 1)
        Raise("Column " + std::to_string(column) + " is before the first column of a worksheet (1)",
              hresult::kBadIndex);
}

void checkCell(int32_t row, int32_t column) {
    if (row < 1)
        Raise("Row " + std::to_string(row) + " is before the first row of a worksheet (1)", hresult::kBadIndex);
    checkColumn(column);
}

// Whether a number format is the text format "@" (else the default one); others are refused.
bool IsTextFormat(const std::u16string& format) {
    if (format == kTextFormat)
        return true;
    if (format != kGeneralFormat && format != kGeneralFormatLocal)
        Raise("Number format \"" + Utf16ToUtf8(format) + "\" is not supported (only \"@\" and \"General\")",
              hresult::kFail);
    return false;
}

// The members for a workbook writer: an xls::CellPipe of the format's workbook (the cell texts go
// into the workbook on a thread of their own; every other call reaches the workbook through the
// pipe once they are in, so that the workbook sees the calls in their order).
template <class Writer> class WorkbookApplication : public ISpreadsheetApplication {
public:
    ~WorkbookApplication() override { Quit(); }

    void AddWorkbook() override {
        checkRunning();
        m_writer.reset();
        m_writer = std::make_unique<Writer>();
        m_failureTold = false;
    }

    void AddSheet() override {
        writing([&] { activeWorkbook().addSheet(); });
    }

    void ActivateSheet(int32_t index) override {
        checkOpen();
        if (index < 1)
            Raise("Sheet " + std::to_string(index) + " is before the first sheet (1)", hresult::kBadIndex);
        writing([&] { activeWorkbook().setActiveSheet(static_cast<uint32_t>(index - 1)); });
    }

    void SetSheetName(const std::u16string& name) override {
        writing([&] { activeWorkbook().setSheetName(name); });
    }

    void SetColumnWidth(int32_t column, int32_t width) override {
        checkOpen();
        checkColumn(column);
        writing([&] { activeWorkbook().setColumnWidth(static_cast<uint32_t>(column - 1), width); });
    }

    void SetCellNumberFormat(int32_t row, int32_t column, const std::u16string& format) override {
        checkOpen();
        checkCell(row, column);
        const bool text = IsTextFormat(format);
        writing([&] {
            activeWorkbook().setTextFormat(static_cast<uint32_t>(row - 1), static_cast<uint32_t>(column - 1), text);
        });
    }

    void SetCellValue(int32_t row, int32_t column, std::u16string_view text) override {
        checkOpen();
        checkCell(row, column);
        writing([&] { m_writer->setText(static_cast<uint32_t>(row - 1), static_cast<uint32_t>(column - 1), text); });
    }

    void SaveActiveWorkbookAs(const std::u16string& path) override {
        checkOpen();
        if (path.empty())
            Raise("No file name to save the workbook under", hresult::kFail);
        // As a spreadsheet program does, a workbook whose cell failed can still be saved: once that
        // failure was raised to the caller, the save writes the cells before it. One not yet told
        // is raised instead, so that no workbook is saved as if whole.
        writing([&] {
            auto& book = m_failureTold ? m_writer->bookAsWritten() : activeWorkbook();
            book.save(std::filesystem::path(path));
        });
    }

    void Quit() override {
        m_writer.reset();
        m_quit = true;
    }

private:
    // A call that reaches the workbook; its errors come out as the automation's, and a failed
    // text raised by it counts as told.
    template <typename Call> void writing(Call&& call) {
        try {
            RaisingWriterErrors(std::forward<Call>(call));
        } catch (...) {
            m_failureTold = m_writer && m_writer->failure();
            throw;
        }
    }

    void checkRunning() const {
        if (m_quit)
            Raise("The spreadsheet application has quit", hresult::kFail);
    }

    void checkOpen() const {
        checkRunning();
        if (!m_writer)
            Raise("No workbook is open", hresult::kFail);
    }

    // The workbook with every cell text handed over so far in it; raised errors of those texts
    // come out as the automation's.
    auto& activeWorkbook() const {
        checkOpen();
        return m_writer->book();
    }

    std::unique_ptr<Writer> m_writer;
    bool m_failureTold = false; // a text that failed was raised to the caller
    bool m_quit = false;
};

} // namespace

std::unique_ptr<ISpreadsheetApplication> XlsSpreadsheetAutomation::CreateApplication(WorkbookFormat format) {
    if (format == WorkbookFormat::Xlsx)
        return std::make_unique<WorkbookApplication<xls::CellPipe<xls::XlsxWorkbook>>>();
    return std::make_unique<WorkbookApplication<xls::CellPipe<xls::Workbook>>>();
}
