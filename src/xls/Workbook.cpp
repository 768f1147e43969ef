#include "xls/Workbook.h"

#include "xls/CompoundFile.h"
#include "xls/FileSink.h"
#include "xls/Globals.h"
#include "xls/RecordWriter.h"
#include "xls/SheetRules.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace xls {

namespace {

std::u16string SheetName(size_t index) {
    const std::string number = std::to_string(index + 1);
    return u"Sheet" + std::u16string(number.begin(), number.end());
}

// Digit width of the standard font and the padding of a cell, in pixels.
constexpr double kDigitPixels = 7;
constexpr double kPaddingPixels = 5;

std::string Number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

Workbook::Workbook() {
    addSheet();
}

Workbook::~Workbook() = default;

void Workbook::addSheet() {
    m_names.push_back(SheetName(m_sheets.size()));
    m_sheets.push_back(std::make_unique<Sheet>());
    m_active = m_sheets.size() - 1;
}

void Workbook::setActiveSheet(uint32_t index) {
    CheckSheetIndex(index, m_sheets.size());
    m_active = index;
}

void Workbook::setSheetName(std::u16string_view name) {
    CheckSheetName(name, m_names, m_active);
    m_names[m_active] = std::u16string(name);
}

size_t Workbook::memoryUsage() const noexcept {
    size_t bytes = m_strings.memoryUsage();
    for (const auto& sheet : m_sheets)
        bytes += sheet->memoryUsage();
    return bytes;
}

void Workbook::checkCell(uint32_t row, uint32_t column) {
    CheckCellWithin(row, column, kMaxRows, kMaxColumns);
}

void Workbook::setText(uint32_t row, uint32_t column, std::u16string_view text) {
    checkCell(row, column);
    if (text.empty())
        active().clearText(row, column);
    else
        active().setText(row, column, m_strings.add(text));
}

void Workbook::setTextFormat(uint32_t row, uint32_t column, bool text) {
    checkCell(row, column);
    active().setTextFormat(row, column, text);
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
    active().setColumnWidth(column, ColumnWidthUnits(characters));
}

void Workbook::write(ByteSink& out) const {
    std::vector<Sheet::Summary> summaries;
    std::vector<SheetEntry> entries;
    uint32_t textCells = 0;
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        summaries.push_back(m_sheets[i]->summarize());
        entries.push_back({m_names[i], 0});
        textCells += summaries.back().textCells;
    }

    // The sheets' offsets go into the globals, so measure them first.
    CountingSink counter;
    {
        RecordWriter measure(counter);
        WriteGlobals(measure, m_strings, textCells, entries);
    }
    uint64_t streamBytes = counter.position();
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (streamBytes > UINT32_MAX)
            throw Error(Error::Code::TooLarge, "The workbook is larger than the file format allows (4 GB)");
        entries[i].offset = static_cast<uint32_t>(streamBytes);
        streamBytes += m_sheets[i]->streamSize(summaries[i]);
    }
    const CompoundFile container(streamBytes);

    container.writeHead(out);
    RecordWriter records(out);
    WriteGlobals(records, m_strings, textCells, entries);
    if (records.position() != entries[0].offset)
        throw std::logic_error("workbook globals changed size between passes");
    for (size_t i = 0; i < m_sheets.size(); ++i)
        m_sheets[i]->write(records, summaries[i], i == 0);
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
