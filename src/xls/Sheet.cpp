#include "xls/Sheet.h"

#include "xls/Globals.h"

#include <algorithm>
#include <array>

namespace xls {

namespace {

constexpr uint16_t kWorksheetSubstream = 0x0010;
constexpr size_t kBofSize = 4 + 16;
constexpr size_t kWsBoolSize = 4 + 2;
constexpr size_t kColInfoSize = 4 + 12;
constexpr size_t kDimensionsSize = 4 + 14;
constexpr size_t kRowSize = 4 + 16;
constexpr size_t kLabelSstSize = 4 + 10;
constexpr size_t kBlankSize = 4 + 6;
constexpr size_t kWindow2Size = 4 + 18;
constexpr size_t kEofSize = 4;

constexpr uint16_t kColumnHidden = 0x0001;
constexpr uint16_t kColumnCustomWidth = 0x0002;

} // namespace

Sheet::Cell& Sheet::cell(uint32_t row, uint32_t column) {
    if (row >= m_rows.size())
        m_rows.resize(row + 1);
    std::vector<Cell>& cells = m_rows[row];
    const auto col = static_cast<uint8_t>(column);
    // Cells mostly arrive left to right: try the end first.
    if (cells.empty() || cells.back().column < col) {
        cells.push_back({0, col, 0});
        return cells.back();
    }
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const Cell& c, uint8_t value) { return c.column < value; });
    if (it != cells.end() && it->column == col)
        return *it;
    return *cells.insert(it, {0, col, 0});
}

Sheet::Cell* Sheet::findCell(uint32_t row, uint32_t column) {
    if (row >= m_rows.size())
        return nullptr;
    std::vector<Cell>& cells = m_rows[row];
    auto it = std::lower_bound(cells.begin(), cells.end(), static_cast<uint8_t>(column),
                               [](const Cell& c, uint8_t value) { return c.column < value; });
    return it != cells.end() && it->column == column ? &*it : nullptr;
}

void Sheet::setText(uint32_t row, uint32_t column, uint32_t stringIndex) {
    Cell& c = cell(row, column);
    c.stringIndex = stringIndex;
    c.flags |= kHasText;
}

void Sheet::clearText(uint32_t row, uint32_t column) {
    if (Cell* c = findCell(row, column))
        c->flags &= static_cast<uint8_t>(~kHasText);
}

void Sheet::setTextFormat(uint32_t row, uint32_t column, bool text) {
    if (text) {
        cell(row, column).flags |= kTextFormat;
    } else if (Cell* c = findCell(row, column)) {
        c->flags &= static_cast<uint8_t>(~kTextFormat);
    }
}

void Sheet::setColumnWidth(uint32_t column, uint16_t width) {
    m_widths[column] = width;
}

Sheet::Summary Sheet::summarize() const {
    Summary s;
    bool any = false;
    for (uint32_t row = 0; row < m_rows.size(); ++row) {
        bool rowUsed = false;
        for (const Cell& c : m_rows[row]) {
            if (c.flags == 0)
                continue;
            if (c.flags & kHasText)
                ++s.textCells;
            else
                ++s.blankCells;
            if (!rowUsed) {
                rowUsed = true;
                ++s.rows;
                if (!any) {
                    any = true;
                    s.firstRow = row;
                    s.firstColumn = c.column;
                    s.lastColumn = c.column;
                }
                s.lastRow = row;
            }
            s.firstColumn = std::min<uint32_t>(s.firstColumn, c.column);
            s.lastColumn = std::max<uint32_t>(s.lastColumn, c.column);
        }
    }
    return s;
}

uint64_t Sheet::streamSize(const Summary& summary) const {
    return kBofSize + kWsBoolSize + kColInfoSize * m_widths.size() + kDimensionsSize +
           kRowSize * uint64_t{summary.rows} + kLabelSstSize * uint64_t{summary.textCells} +
           kBlankSize * uint64_t{summary.blankCells} + kWindow2Size + kEofSize;
}

void Sheet::write(RecordWriter& out, const Summary& summary, bool first) const {
    WriteBof(out, kWorksheetSubstream);

    out.begin(record::kWsBool);
    out.putU16(0x04C1);
    out.end();

    for (const auto& [column, width] : m_widths) {
        out.begin(record::kColInfo);
        out.putU16(static_cast<uint16_t>(column));
        out.putU16(static_cast<uint16_t>(column));
        out.putU16(width);
        out.putU16(kDefaultXf);
        out.putU16(width == 0 ? kColumnHidden | kColumnCustomWidth : kColumnCustomWidth);
        out.putU16(0);
        out.end();
    }

    const bool empty = summary.rows == 0;
    out.begin(record::kDimensions);
    out.putU32(summary.firstRow);
    out.putU32(empty ? 0 : summary.lastRow + 1);
    out.putU16(static_cast<uint16_t>(summary.firstColumn));
    out.putU16(static_cast<uint16_t>(empty ? 0 : summary.lastColumn + 1));
    out.putU16(0);
    out.end();

    for (uint32_t row = 0; row < m_rows.size(); ++row) {
        const std::vector<Cell>& cells = m_rows[row];
        auto first = std::find_if(cells.begin(), cells.end(), [](const Cell& c) { return c.flags != 0; });
        if (first == cells.end())
            continue;
        auto last = std::find_if(cells.rbegin(), cells.rend(), [](const Cell& c) { return c.flags != 0; });

        std::array<uint8_t, 16> rowData{};
        rowData[0] = static_cast<uint8_t>(row);
        rowData[1] = static_cast<uint8_t>(row >> 8);
        rowData[2] = first->column;
        rowData[4] = static_cast<uint8_t>(last->column + 1);
        rowData[5] = static_cast<uint8_t>((last->column + 1) >> 8);
        rowData[6] = 0xFF;  // height 255 twips
        rowData[13] = 0x01; // flags 0x000F0100: default XF 15, height not custom
        rowData[14] = 0x0F;
        out.record(record::kRow, rowData.data(), rowData.size());

        uint8_t cellData[10] = {rowData[0], rowData[1]};
        for (auto it = first; it != cells.end(); ++it) {
            if (it->flags == 0)
                continue;
            const uint16_t xf = (it->flags & kTextFormat) ? kTextXf : kDefaultXf;
            cellData[2] = it->column;
            cellData[3] = 0;
            cellData[4] = static_cast<uint8_t>(xf);
            cellData[5] = static_cast<uint8_t>(xf >> 8);
            if (it->flags & kHasText) {
                cellData[6] = static_cast<uint8_t>(it->stringIndex);
                cellData[7] = static_cast<uint8_t>(it->stringIndex >> 8);
                cellData[8] = static_cast<uint8_t>(it->stringIndex >> 16);
                cellData[9] = static_cast<uint8_t>(it->stringIndex >> 24);
                out.record(record::kLabelSst, cellData, 10);
            } else {
                out.record(record::kBlank, cellData, 6);
            }
        }
    }

    out.begin(record::kWindow2);
    // Gridlines, headers, zeros, automatic colour, outline; the first sheet also selected, active.
    out.putU16(first ? 0x06B6 : 0x00B6);
    out.putU16(0);  // top row
    out.putU16(0);  // left column
    out.putU16(64); // gridline colour
    out.putU16(0);
    out.putU16(0); // zoom in page break preview: default
    out.putU16(0); // zoom in normal view: default
    out.putU32(0);
    out.end();

    out.record(record::kEof);
}

size_t Sheet::memoryUsage() const noexcept {
    size_t bytes = m_rows.capacity() * sizeof(m_rows[0]) + m_widths.size() * 48;
    for (const auto& row : m_rows)
        bytes += row.capacity() * sizeof(Cell);
    return bytes;
}

} // namespace xls
