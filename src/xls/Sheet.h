// The worksheet: its cells (a shared-string index and a format flag each, 8 bytes), its column
// widths, and the worksheet substream written from them. Indexes are checked by the caller.
#pragma once

#include "interfaces/SpreadsheetAutomation.h"
#include "xls/RecordWriter.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace xls {

constexpr uint32_t kMaxRows = FormatInfo(WorkbookFormat::Xls).maxRows;
constexpr uint32_t kMaxColumns = FormatInfo(WorkbookFormat::Xls).maxColumns;
constexpr size_t kMaxSheetName = 31; // characters of a sheet's tab name

class Sheet {
public:
    void setText(uint32_t row, uint32_t column, uint32_t stringIndex);
    // Empties the cell's value (its format stays).
    void clearText(uint32_t row, uint32_t column);
    void setTextFormat(uint32_t row, uint32_t column, bool text);
    // Width in 1/256 of the standard font's digit width; 0 hides the column.
    void setColumnWidth(uint32_t column, uint16_t width);

    // What the substream will hold, gathered in one pass before it is written.
    struct Summary {
        uint32_t textCells = 0;  // LABELSST records
        uint32_t blankCells = 0; // BLANK records (formatted cells without a value)
        uint32_t rows = 0;       // ROW records
        uint32_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    };
    Summary summarize() const;
    // Length of the substream write() produces.
    uint64_t streamSize(const Summary& summary) const;
    // first: the workbook's first sheet, which opens selected and active.
    void write(RecordWriter& out, const Summary& summary, bool first = true) const;

    size_t memoryUsage() const noexcept;

private:
    struct Cell {
        uint32_t stringIndex;
        uint8_t column;
        uint8_t flags;
    };
    static constexpr uint8_t kHasText = 0x01;
    static constexpr uint8_t kTextFormat = 0x02;

    Cell& cell(uint32_t row, uint32_t column);
    Cell* findCell(uint32_t row, uint32_t column);

    // Cells by row, each row's cells ordered by column.
    std::vector<std::vector<Cell>> m_rows;
    std::map<uint32_t, uint16_t> m_widths;
};

} // namespace xls
