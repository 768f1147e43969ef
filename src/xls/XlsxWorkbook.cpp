#include "xls/XlsxWorkbook.h"

#include "interfaces/ComObject.h"
#include "xls/DeflateThread.h"
#include "xls/FileSink.h"
#include "xls/Sheet.h"
#include "xls/SheetRules.h"
#include "xls/Sst.h"
#include "xls/Workbook.h"
#include "xls/XlsError.h"
#include "xls/XlsxParts.h"
#include "xls/Zip.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <utility>

namespace xls {

namespace {

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The column's letters ("A", "AB", …) into name (room for three), returning their count.
size_t ColumnName(uint32_t column, char* name) {
    char reversed[4];
    size_t size = 0;
    for (uint32_t n = column + 1; n > 0 && size < sizeof reversed; n = (n - 1) / 26)
        reversed[size++] = static_cast<char>('A' + (n - 1) % 26);
    for (size_t i = 0; i < size; ++i)
        name[i] = reversed[size - 1 - i];
    return size;
}

void AppendEscapedUnit(std::string& out, char16_t c) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(c));
    out += "_x";
    out += code;
    out += '_';
}

// ASCII characters that go into a cell's XML as they are.
constexpr auto kPlainAscii = [] {
    std::array<bool, 128> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[c] = c != '&' && c != '<' && c != '>' && c != '_';
    plain['\t'] = plain['\n'] = true;
    return plain;
}();

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
    std::string out;
    out.reserve(text.size() + 16);
    AppendXlsxCellText(out, text);
    return out;
}

void AppendXlsxCellText(std::string& out, std::u16string_view text) {
    if (text.size() > kMaxTextLength) {
        size_t keep = kMaxTextLength;
        if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF)
            --keep;
        text = text.substr(0, keep);
    }
    for (size_t i = 0; i < text.size(); ++i) {
        // A run of characters that need nothing, copied at once.
        size_t end = i;
        while (end < text.size() && text[end] < 0x80 && kPlainAscii[text[end]])
            ++end;
        if (end > i) {
            const size_t at = out.size();
            out.resize(at + (end - i));
            for (char* to = out.data() + at; i < end; ++i)
                *to++ = static_cast<char>(text[i]);
            if (i == text.size())
                break;
        }
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
}

// One sheet: its name, its column widths, the row being gathered, and the compressed rows so far.
// The sheet's XML is made here and compressed on the workbook's deflating thread.
struct XlsxWorkbook::Sheet {
    struct Cell {
        uint32_t column;
        bool textFormat;
        size_t offset; // of its XML-ready text in texts; an empty text is a cell with a format only
        size_t length;
    };
    static constexpr size_t kChunk = 64 * 1024; // XML handed to the deflating thread at a time

    explicit Sheet(DeflateThread& deflating) : deflating(deflating) {}

    std::u16string name;
    std::map<uint32_t, double> widths;
    int64_t row = -1;        // the row being gathered
    int64_t written = -1;    // the last row written out
    std::vector<Cell> cells; // of the row being gathered, by column
    std::string texts;       // their texts
    bool started = false;
    bool finished = false;
    DeflateThread& deflating;
    SpoolFile spool;
    Deflater deflater{[this](const uint8_t* data, size_t size) { spool.append(data, size); }};
    std::string pending; // XML on its way to the deflater

    // Called after each piece of XML: a full chunk goes to be compressed.
    void piece() {
        if (pending.size() >= kChunk)
            deflating.write(deflater, pending);
    }

    void put(std::string_view text) {
        pending += text;
        piece();
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
        char number[16];
        const std::string_view r(number, std::to_chars(number, number + sizeof number, row + 1).ptr - number);
        pending += "<row r=\"";
        pending += r;
        put("\">");
        char reference[24];
        for (const Cell& cell : cells) {
            const size_t letters = ColumnName(cell.column, reference);
            r.copy(reference + letters, r.size());
            pending += "<c r=\"";
            pending.append(reference, letters + r.size());
            pending += '"';
            if (cell.textFormat)
                pending += " s=\"1\""; // the cell format with the number format "@"
            if (cell.length == 0) {
                put("/>");
                continue;
            }
            put(" t=\"inlineStr\"><is><t xml:space=\"preserve\">");
            put(std::string_view(texts).substr(cell.offset, cell.length));
            put("</t></is></c>");
        }
        put("</row>");
        written = row;
        cells.clear();
        texts.clear();
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
        if (cells.empty() || cells.back().column < column)
            return cells.emplace_back(Cell{column, false, 0, 0});
        const auto place = std::lower_bound(cells.begin(), cells.end(), column,
                                            [](const Cell& cell, uint32_t c) { return cell.column < c; });
        if (place->column == column)
            return *place;
        return *cells.insert(place, Cell{column, false, 0, 0});
    }

    void setText(uint32_t r, uint32_t column, std::u16string_view text) {
        Cell& cell = at(r, column);
        cell.offset = texts.size();
        AppendXlsxCellText(texts, text);
        cell.length = texts.size() - cell.offset;
    }

    // Hands the rest of the sheet to the deflating thread.
    void finish() {
        if (std::exchange(finished, true))
            return;
        writeRow();
        start();
        put("</sheetData></worksheet>");
        deflating.write(deflater, pending);
        deflating.finish(deflater);
    }
};

XlsxWorkbook::XlsxWorkbook() : m_deflating(std::make_unique<DeflateThread>()) {
    addSheet();
}

XlsxWorkbook::~XlsxWorkbook() = default;

void XlsxWorkbook::addSheet() {
    auto sheet = std::make_unique<Sheet>(*m_deflating);
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
    active().setText(row, column, text);
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
    m_deflating->wait();
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
