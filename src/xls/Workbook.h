// A workbook of worksheets holding text cells, written as an Excel 97-2003 file (BIFF8 in a
// compound file). Standard C++ only. It starts with one sheet; cells go to the active sheet,
// which is the last one added.
//
//     xls::Workbook book;
//     book.setColumnWidth(0, 40);          // 40 characters of the standard font
//     book.setTextFormat(0, 1);            // cell B1 gets the number format "@"
//     book.setText(0, 1, u"123");
//     book.save("out.xls");
//
// Rows and columns count from 0 (at most 65,536 rows and 256 columns). Cells are kept compactly
// (8 bytes each plus the distinct texts) and written in one sequential pass when saved.
// Errors are xls::Error; their messages count rows and columns from 1.
#pragma once

#include "xls/ByteSink.h"
#include "xls/Sheet.h"
#include "xls/Sst.h"
#include "xls/XlsError.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace xls {

// Widest column, in characters.
constexpr double kMaxColumnWidth = 255;

class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Adds a sheet after the last one ("Sheet2", "Sheet3", ...) and makes it the active one.
    void addSheet();
    uint32_t sheetCount() const noexcept { return static_cast<uint32_t>(m_sheets.size()); }
    // Makes sheet index (from 0) the active one. Raises Error (SheetIndex) past the last sheet.
    void setActiveSheet(uint32_t index);
    // Renames the active sheet. Raises Error (SheetName) for a name a spreadsheet program refuses:
    // empty, longer than 31 characters, holding one of : \ / ? * [ ], or another sheet's name
    // in any letter case.
    void setSheetName(std::u16string_view name);

    // Sets a cell's text. Texts longer than 32,767 UTF-16 units are cut to that length; an empty
    // text leaves the cell without a value (its format stays), as a spreadsheet program does.
    // Raises Error (RowLimit, ColumnLimit) for a cell outside the worksheet.
    void setText(uint32_t row, uint32_t column, std::u16string_view text);
    // Gives a cell the number format "@" (text), or back the default format.
    void setTextFormat(uint32_t row, uint32_t column, bool text = true);
    // Sets a column's width in characters of the standard font (0 hides it; at most 255).
    void setColumnWidth(uint32_t column, double characters);

    // Writes the whole file to out (and flushes it).
    void write(ByteSink& out) const;
    // Writes the file to a temporary file beside path and renames it to path, replacing a file
    // that is there. On failure nothing is left at path that was not there before.
    void save(const std::filesystem::path& path) const;

    uint32_t distinctTexts() const noexcept { return m_strings.size(); }
    // Bytes held for cells and texts.
    size_t memoryUsage() const noexcept;

    // The column width unit of the file: 1/256 of the digit width, including the cell padding.
    static uint16_t ColumnWidthUnits(double characters);
    // Raises Error (RowLimit, ColumnLimit) for a cell outside a worksheet.
    static void checkCell(uint32_t row, uint32_t column);

private:
    Sheet& active() { return *m_sheets[m_active]; }

    StringTable m_strings;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    std::vector<std::u16string> m_names; // one per sheet
    size_t m_active = 0;
};

} // namespace xls
