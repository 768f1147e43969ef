#include "xls/XlsxWorkbook.h"

#include "interfaces/ComObject.h"
#include "xls/FileSink.h"
#include "xls/Sheet.h"
#include "xls/SheetRules.h"
#include "xls/Sst.h"
#include "xls/Workbook.h"
#include "xls/XlsError.h"
#include "xls/XlsxParts.h"
#include "xls/Zip.h"

#include <cstdio>
#include <utility>

namespace xls {

namespace {

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr uint32_t kTextStyle = 1; // the cell format with the number format "@"

std::string ColumnName(uint32_t column) {
    std::string name;
    for (uint32_t n = column + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

void AppendEscapedUnit(std::string& out, char16_t c) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(c));
    out += "_x";
    out += code;
    out += '_';
}

bool IsHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Escaped text made fit for an attribute in double quotes.
std::string QuoteEscaped(std::string_view escaped) {
    std::string out;
    for (char c : escaped)
        out += c == '"' ? std::string("&quot;") : std::string(1, c);
    return out;
}

} // namespace

std::string XlsxCellText(std::u16string_view text) {
    if (text.size() > kMaxTextLength) {
        size_t keep = kMaxTextLength;
        if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF)
            --keep;
        text = text.substr(0, keep);
    }
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c == u'\r') {
            out += "&#13;"; // as a character reference, which every XML reader keeps (a bare one becomes a line feed)
        } else if ((c < 0x20 && c != u'\t' && c != u'\n') || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE ||
                   c == 0xFFFF) {
            // No XML character: the format's escape.
            AppendEscapedUnit(out, c);
        } else if (c == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && IsHex(text[i + 2]) &&
                   IsHex(text[i + 3]) && IsHex(text[i + 4]) && IsHex(text[i + 5]) && text[i + 6] == u'_') {
            out += "_x005F_"; // an underscore that would begin an escape
        } else if (c == u'&') {
            out += "&amp;";
        } else if (c == u'<') {
            out += "&lt;";
        } else if (c == u'>') {
            out += "&gt;";
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

// One sheet: its name, its column widths, the row being gathered, and the compressed rows so far.
struct XlsxWorkbook::Sheet {
    struct Cell {
        std::string text; // XML-ready; empty for a cell with a format only
        bool textFormat = false;
    };

    std::u16string name;
    std::map<uint32_t, double> widths;
    int64_t row = -1;     // the row being gathered
    int64_t written = -1; // the last row written out
    std::map<uint32_t, Cell> cells;
    bool started = false;
    bool finished = false;
    SpoolFile spool;
    Deflater deflater{[this](const uint8_t* data, size_t size) { spool.append(data, size); }};
    std::string pending; // text on its way to the deflater

    void put(std::string_view text) {
        pending += text;
        if (pending.size() >= 64 * 1024) {
            deflater.write(pending);
            pending.clear();
        }
    }

    void start() {
        if (started)
            return;
        started = true;
        put(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"") + kMain +
            "\">");
        if (!widths.empty()) {
            put("<cols>");
            for (const auto& [column, characters] : widths) {
                const std::string n = std::to_string(column + 1);
                char width[32];
                std::snprintf(width, sizeof width, "%.8g", Workbook::ColumnWidthUnits(characters) / 256.0);
                put("<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + width + "\" customWidth=\"1\"" +
                    (characters == 0 ? " hidden=\"1\"" : "") + "/>");
            }
            put("</cols>");
        }
        put("<sheetData>");
    }

    void writeRow() {
        if (row < 0 || cells.empty())
            return;
        start();
        const std::string r = std::to_string(row + 1);
        put("<row r=\"" + r + "\">");
        for (const auto& [column, cell] : cells) {
            std::string xml = "<c r=\"" + ColumnName(column) + r + "\"";
            if (cell.textFormat)
                xml += " s=\"" + std::to_string(kTextStyle) + "\"";
            if (cell.text.empty()) {
                xml += "/>";
            } else {
                xml += " t=\"inlineStr\"><is><t xml:space=\"preserve\">";
                put(xml);
                put(cell.text);
                xml = "</t></is></c>";
            }
            put(xml);
        }
        put("</row>");
        written = row;
        cells.clear();
    }

    // The cell at (r, column) of the row being gathered, the rows before it written out.
    Cell& at(uint32_t r, uint32_t column) {
        if (finished)
            throw Error(Error::Code::RowOrder, "The workbook was saved: its sheets take no more cells");
        if (static_cast<int64_t>(r) < row || static_cast<int64_t>(r) <= written)
            throw Error(Error::Code::RowOrder,
                        "Row " + std::to_string(uint64_t{r} + 1) + " was written already: rows are set in order");
        if (static_cast<int64_t>(r) > row) {
            writeRow();
            row = r;
        }
        return cells[column];
    }

    void finish() {
        if (std::exchange(finished, true))
            return;
        writeRow();
        start();
        put("</sheetData></worksheet>");
        deflater.write(pending);
        pending.clear();
        deflater.finish();
    }
};

XlsxWorkbook::XlsxWorkbook() {
    addSheet();
}

XlsxWorkbook::~XlsxWorkbook() = default;

void XlsxWorkbook::addSheet() {
    auto sheet = std::make_unique<Sheet>();
    const std::string number = std::to_string(m_sheets.size() + 1);
    sheet->name = u"Sheet" + std::u16string(number.begin(), number.end());
    m_sheets.push_back(std::move(sheet));
    m_active = m_sheets.size() - 1;
}

void XlsxWorkbook::setActiveSheet(uint32_t index) {
    CheckSheetIndex(index, m_sheets.size());
    m_active = index;
}

void XlsxWorkbook::setSheetName(std::u16string_view name) {
    std::vector<std::u16string> names;
    for (const auto& sheet : m_sheets)
        names.push_back(sheet->name);
    CheckSheetName(name, names, m_active);
    active().name = std::u16string(name);
}

void XlsxWorkbook::checkCell(uint32_t row, uint32_t column) {
    CheckCellWithin(row, column, kXlsxMaxRows, kXlsxMaxColumns);
}

void XlsxWorkbook::setText(uint32_t row, uint32_t column, std::u16string_view text) {
    checkCell(row, column);
    active().at(row, column).text = XlsxCellText(text);
}

void XlsxWorkbook::setTextFormat(uint32_t row, uint32_t column, bool text) {
    checkCell(row, column);
    active().at(row, column).textFormat = text;
}

void XlsxWorkbook::setColumnWidth(uint32_t column, double characters) {
    checkCell(0, column);
    if (!(characters >= 0 && characters <= kMaxColumnWidth))
        throw Error(Error::Code::ColumnWidth, "Column width is outside what a column can have (0 to 255 characters)");
    if (active().started)
        throw Error(Error::Code::RowOrder, "Column widths are set before the sheet's first row is written");
    active().widths[column] = characters;
}

void XlsxWorkbook::save(const std::filesystem::path& path) {
    for (auto& sheet : m_sheets)
        sheet->finish();
    FileSink file(path);
    ZipWriter zip(file);
    std::vector<std::string> names;
    for (const auto& sheet : m_sheets)
        names.push_back(QuoteEscaped(XlsxCellText(sheet->name)));
    zip.add("[Content_Types].xml", xlsx::ContentTypes(m_sheets.size()));
    zip.add("_rels/.rels", xlsx::PackageRelationships());
    zip.add("xl/workbook.xml", xlsx::WorkbookPart(names));
    zip.add("xl/_rels/workbook.xml.rels", xlsx::WorkbookRelationships(m_sheets.size()));
    zip.add("xl/styles.xml", xlsx::Styles());
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        Sheet& sheet = *m_sheets[i];
        zip.addCompressed("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", sheet.deflater.crc(),
                          sheet.deflater.sizeOut(), sheet.deflater.sizeIn(),
                          [&sheet](ByteSink& out) { sheet.spool.copyTo(out); });
    }
    zip.finish();
    file.commit();
}

} // namespace xls
