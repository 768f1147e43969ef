#include "xls/Workbook.h"

#include "xls/CompoundFile.h"
#include "xls/FileSink.h"
#include "xls/Globals.h"
#include "xls/RecordWriter.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace xls {

namespace {

constexpr std::u16string_view kSheetName = u"Sheet1";

// Digit width of the standard font and the padding of a cell, in pixels.
constexpr double kDigitPixels = 7;
constexpr double kPaddingPixels = 5;

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

Workbook::Workbook() = default;
Workbook::~Workbook() = default;

void Workbook::checkCell(uint32_t row, uint32_t column) {
    if (row >= kMaxRows)
        throw Error(Error::Code::RowLimit, "Row " + std::to_string(uint64_t{row} + 1) +
                                               " is past the last row of a worksheet (" + std::to_string(kMaxRows) +
                                               ")");
    if (column >= kMaxColumns)
        throw Error(Error::Code::ColumnLimit, "Column " + std::to_string(uint64_t{column} + 1) +
                                                  " is past the last column of a worksheet (" +
                                                  std::to_string(kMaxColumns) + ")");
}

void Workbook::setText(uint32_t row, uint32_t column, std::u16string_view text) {
    checkCell(row, column);
    if (text.empty())
        m_sheet.clearText(row, column);
    else
        m_sheet.setText(row, column, m_strings.add(text));
}

void Workbook::setTextFormat(uint32_t row, uint32_t column, bool text) {
    checkCell(row, column);
    m_sheet.setTextFormat(row, column, text);
}

uint16_t Workbook::ColumnWidthUnits(double characters) {
    if (characters <= 0)
        return 0;
    return static_cast<uint16_t>(std::floor(256 * (kDigitPixels * characters + kPaddingPixels) / kDigitPixels));
}

void Workbook::setColumnWidth(uint32_t column, double characters) {
    checkCell(0, column);
    if (!(characters >= 0 && characters <= kMaxColumnWidth))
        throw Error(Error::Code::ColumnWidth, "Column width " + Number(characters) +
                                                  " is outside what a column can have (0 to " +
                                                  Number(kMaxColumnWidth) + " characters)");
    m_sheet.setColumnWidth(column, ColumnWidthUnits(characters));
}

void Workbook::write(ByteSink& out) const {
    const Sheet::Summary summary = m_sheet.summarize();

    // The sheet's offset goes into the globals, so measure them first.
    CountingSink counter;
    {
        RecordWriter measure(counter);
        WriteGlobals(measure, m_strings, summary.textCells, 0, kSheetName);
    }
    const uint64_t globalsSize = counter.position();
    const uint64_t streamBytes = globalsSize + m_sheet.streamSize(summary);
    const CompoundFile container(streamBytes);

    container.writeHead(out);
    RecordWriter records(out);
    WriteGlobals(records, m_strings, summary.textCells, static_cast<uint32_t>(globalsSize), kSheetName);
    if (records.position() != globalsSize)
        throw std::logic_error("workbook globals changed size between passes");
    m_sheet.write(records, summary);
    if (records.position() != streamBytes)
        throw std::logic_error("worksheet size differs from its plan");
    container.writeTail(out);
    out.flush();
}

void Workbook::save(const std::filesystem::path& path) const {
    FileSink file(path);
    write(file);
    file.commit();
}

} // namespace xls
