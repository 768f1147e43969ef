// A workbook of worksheets holding text cells, written as an Office Open XML file (.xlsx) as the
// cells come: each sheet's rows go, compressed, into a temporary file of their own while they are
// set, so memory stays flat however many rows a sheet holds. Standard C++ (and zlib).
//
//     xls::XlsxWorkbook book;
//     book.setColumnWidth(0, 40);
//     book.setTextFormat(0, 1);
//     book.setText(0, 1, u"123");
//     book.setText(1, 0, u"next row");
//     book.save("out.xlsx");
//
// Rows and columns count from 0 (at most 1,048,576 rows and 16,384 columns). Within a sheet,
// rows are set in order: a row is written out when a cell of a later row is set, so a row before
// it can no longer change, and column widths are set before the first row is written. Texts are
// kept inline in their cells; a character XML cannot hold is written as _xHHHH_ and an "_x" that
// would read as such is escaped, so every text reads back as it was. Errors are xls::Error.
#pragma once

#include "interfaces/SpreadsheetAutomation.h"
#include <cstdint>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

constexpr uint32_t kXlsxMaxRows = FormatInfo(WorkbookFormat::Xlsx).maxRows;
constexpr uint32_t kXlsxMaxColumns = FormatInfo(WorkbookFormat::Xlsx).maxColumns;

// A text as an .xlsx cell holds it: XML-escaped UTF-8, characters outside XML as _xHHHH_.
std::string XlsxCellText(std::u16string_view text);
// The same, appended to out.
void AppendXlsxCellText(std::string& out, std::u16string_view text);

class DeflateThread;

class XlsxWorkbook {
public:
    XlsxWorkbook();
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // As xls::Workbook: sheets are added after the last one and become the active one.
    void addSheet();
    uint32_t sheetCount() const noexcept { return static_cast<uint32_t>(m_sheets.size()); }
    void setActiveSheet(uint32_t index);
    void setSheetName(std::u16string_view name);

    void setText(uint32_t row, uint32_t column, std::u16string_view text);
    void setTextFormat(uint32_t row, uint32_t column, bool text = true);
    void setColumnWidth(uint32_t column, double characters);

    // Writes the whole file beside path and renames it to path.
    void save(const std::filesystem::path& path);

    static void checkCell(uint32_t row, uint32_t column);

private:
    struct Sheet;
    Sheet& active() { return *m_sheets[m_active]; }

    std::vector<std::unique_ptr<Sheet>> m_sheets;
    size_t m_active = 0;
    // Compresses the sheets' rows while more are made; ends before the sheets do.
    std::unique_ptr<DeflateThread> m_deflating;
};

} // namespace xls
