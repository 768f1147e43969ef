// Writes the workbooks that check_xlrd.py and check_libreoffice.py read back, and manifest.json
// describing what each should contain (rows and columns from 0; texts as a reader should return
// them). Usage: xls_make_workbooks <output folder>
#include "xls/CompoundFile.h"
#include "xls/FileSink.h"
#include "xls/Workbook.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Expected {
    std::string file;
    std::map<std::pair<uint32_t, uint32_t>, std::u16string> cells;
    std::map<uint32_t, uint16_t> widths;
    std::vector<std::pair<uint32_t, uint32_t>> textFormat;
    uint32_t rows = 0, columns = 0;
};

// A workbook and its expectations, filled side by side.
class Case {
public:
    explicit Case(std::string file) { m_expected.file = std::move(file); }
    void text(uint32_t row, uint32_t column, const std::u16string& value, const std::u16string* stored = nullptr) {
        m_book.setText(row, column, value);
        const std::u16string& expect = stored ? *stored : value;
        if (expect.empty())
            m_expected.cells.erase({row, column});
        else
            m_expected.cells[{row, column}] = expect;
        grow(row, column);
    }
    void textFormat(uint32_t row, uint32_t column) {
        m_book.setTextFormat(row, column);
        m_expected.textFormat.push_back({row, column});
        grow(row, column);
    }
    void width(uint32_t column, double characters, uint16_t units) {
        m_book.setColumnWidth(column, characters);
        m_expected.widths[column] = units;
    }
    Expected save(const std::filesystem::path& folder) {
        m_book.save(folder / m_expected.file);
        return std::move(m_expected);
    }

private:
    void grow(uint32_t row, uint32_t column) {
        m_expected.rows = std::max(m_expected.rows, row + 1);
        m_expected.columns = std::max(m_expected.columns, column + 1);
    }
    xls::Workbook m_book;
    Expected m_expected;
};

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Repeat(const std::u16string& part, size_t times) {
    std::u16string out;
    out.reserve(part.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += part;
    return out;
}

// JSON string with every non-ASCII or control unit escaped (surrogate pairs as two escapes).
std::string Json(const std::u16string& text) {
    std::string out = "\"";
    char escape[8];
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out + "\"";
}

Expected Basic(const std::filesystem::path& folder) {
    // The export's shape: an ID column 40 wide, field columns of name length + 10, "@" on a
    // numeric header, one formatted cell that never gets a value.
    Case c("basic.xls");
    c.width(0, 40, 10422);
    c.width(1, 17, 4534);
    c.width(2, 14, 3766);
    c.width(3, 0, 0);
    c.width(5, 10.5, 2870);
    c.text(0, 0, u"文档ID");
    c.text(0, 1, u"Subject");
    c.textFormat(0, 2);
    c.text(0, 2, u"123");
    c.textFormat(4, 4);
    for (uint32_t r = 1; r <= 3; ++r) {
        c.text(r, 0, Ascii("0123456789ABCDEF0123456789ABCDE" + std::to_string(r)));
        c.text(r, 1, u"Row " + Ascii(std::to_string(r)));
        c.text(r, 2, Ascii(std::to_string(r * 1000)));
    }
    return c.save(folder);
}

Expected Order(const std::filesystem::path& folder) {
    // Cells written out of order, overwritten and emptied, as the export's header pass does.
    Case c("order.xls");
    c.text(2, 3, u"d");
    c.text(0, 1, u"b");
    c.text(0, 0, u"first");
    c.text(0, 0, u"a");
    c.text(2, 0, u"c");
    c.text(1, 2, u"gone");
    c.text(1, 2, u"");
    c.textFormat(2, 3);
    return c.save(folder);
}

Expected Texts(const std::filesystem::path& folder) {
    Case c("texts.xls");
    const std::u16string astral = u"\U0001F600\U00020000"; // emoji, CJK extension B
    static constexpr char16_t kControls[] = u"ctl\x01\x02\x1F|tab\there|nul\0end";
    const std::u16string rows[] = {
        u"中文测试",
        u"Mixed 中文 and English, Ünïcödé ĀŁ",
        astral + u" astral " + astral,
        u"café",
        std::u16string(kControls, std::size(kControls) - 1),
        u"line1\nline2\r\nline3",
        u"\"quoted\", comma; semicolon",
        u"  leading and trailing  ",
        u"ÿ\u00A0\u0100",
    };
    uint32_t r = 0;
    for (const auto& text : rows)
        c.text(r++, 0, text);
    c.text(r++, 0, u""); // an empty text makes no cell

    // Longer than a cell holds: cut to 32,767 units, one less where a surrogate pair would split.
    const std::u16string longAscii = Repeat(u"0123456789", 4000);
    const std::u16string cutAscii = longAscii.substr(0, 32767);
    c.text(r++, 1, longAscii, &cutAscii);
    const std::u16string longPairs = u"x" + Repeat(astral, 10000);
    const std::u16string cutPairs = longPairs.substr(0, 32767);
    c.text(r++, 1, longPairs, &cutPairs);
    const std::u16string longPairsOdd = Repeat(astral, 10000);
    const std::u16string cutPairsOdd = longPairsOdd.substr(0, 32766);
    c.text(r++, 1, longPairsOdd, &cutPairsOdd);

    // Strings that split across CONTINUE records in both encodings, with surrogate pairs
    // straddling the record ends at every alignment.
    for (uint32_t k = 0; k < 6; ++k) {
        c.text(r, 2, Repeat(u"a", 5000 + k) + u"|" + Ascii(std::to_string(k)));
        c.text(r++, 3, Repeat(u"x", k) + Repeat(astral, 3000 + k));
    }
    return c.save(folder);
}

Expected ExactRecordEnd(const std::filesystem::path& folder) {
    // The first string fills the SST record to exactly 8224 bytes (8 + 3 + 8213), so the next
    // string starts its CONTINUE record with its header.
    Case c("record-end.xls");
    c.text(0, 0, Repeat(u"e", 8213));
    c.text(0, 1, u"next");
    c.text(1, 0, u"中" + Repeat(u"w", 4102)); // 8 + ... fills the next record closely
    c.text(1, 1, u"after");
    return c.save(folder);
}

Expected ManyStrings(const std::filesystem::path& folder) {
    // 100,000 distinct strings: the table continues over many CONTINUE records.
    Case c("many.xls");
    for (uint32_t r = 0; r < 10000; ++r) {
        for (uint32_t col = 0; col < 10; ++col) {
            std::u16string text = u"R" + Ascii(std::to_string(r)) + u"C" + Ascii(std::to_string(col));
            if ((r + col) % 7 == 0)
                text += u"行";
            c.text(r, col, text);
        }
    }
    return c.save(folder);
}

Expected Large(const std::filesystem::path& folder) {
    // Over 7 MB: the allocation table outgrows the header's 109 entries.
    Case c("large.xls");
    const std::u16string block = Repeat(u"大文件", 5400);
    for (uint32_t r = 0; r < 260; ++r)
        c.text(r / 4, r % 4, Ascii(std::to_string(r)) + block);
    return c.save(folder);
}

Expected Limits(const std::filesystem::path& folder) {
    Case c("limits.xls");
    c.text(0, 0, u"first");
    c.text(65535, 0, u"last row");
    c.text(0, 255, u"last column");
    c.text(65535, 255, u"last cell");
    c.width(255, 255, 65462);
    return c.save(folder);
}

Expected Empty(const std::filesystem::path& folder) {
    Case c("empty.xls");
    return c.save(folder);
}

// Bare containers around a patterned stream, for the compound-file reader.
void Container(const std::filesystem::path& path, uint64_t size) {
    xls::FileSink out(path);
    xls::CompoundFile file(size);
    file.writeHead(out);
    for (uint64_t i = 0; i < size; ++i)
        out.u8(static_cast<uint8_t>((i * 7 + i / 251) & 0xFF));
    file.writeTail(out);
    out.commit();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    try {
        std::vector<Expected> books;
        books.push_back(Basic(folder));
        books.push_back(Order(folder));
        books.push_back(Texts(folder));
        books.push_back(ExactRecordEnd(folder));
        books.push_back(ManyStrings(folder));
        books.push_back(Large(folder));
        books.push_back(Limits(folder));
        books.push_back(Empty(folder));
        const uint64_t containerSizes[] = {1, 4095, 4096, 4097, 7087104, 7087105};
        for (uint64_t size : containerSizes)
            Container(folder / ("container-" + std::to_string(size) + ".cfb"), size);

        std::ofstream manifest(folder / "manifest.json", std::ios::binary);
        manifest << "{\"containers\": [";
        for (size_t i = 0; i < std::size(containerSizes); ++i)
            manifest << (i ? ", " : "") << "{\"file\": \"container-" << containerSizes[i]
                     << ".cfb\", \"size\": " << containerSizes[i] << "}";
        manifest << "],\n\"workbooks\": [\n";
        for (size_t b = 0; b < books.size(); ++b) {
            const Expected& e = books[b];
            manifest << (b ? ",\n" : "") << "{\"file\": \"" << e.file << "\", \"rows\": " << e.rows
                     << ", \"columns\": " << e.columns << ", \"widths\": {";
            bool first = true;
            for (const auto& [column, units] : e.widths) {
                manifest << (first ? "" : ", ") << "\"" << column << "\": " << units;
                first = false;
            }
            manifest << "}, \"text_format\": [";
            first = true;
            for (const auto& [row, column] : e.textFormat) {
                manifest << (first ? "" : ", ") << "[" << row << ", " << column << "]";
                first = false;
            }
            manifest << "], \"cells\": [";
            first = true;
            for (const auto& [at, text] : e.cells) {
                manifest << (first ? "" : ",\n") << "[" << at.first << ", " << at.second << ", " << Json(text) << "]";
                first = false;
            }
            manifest << "]}";
        }
        manifest << "\n]}\n";
        if (!manifest)
            throw std::runtime_error("cannot write manifest.json");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
