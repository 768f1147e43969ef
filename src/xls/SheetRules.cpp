#include "xls/SheetRules.h"

#include "interfaces/Text.h"
#include "xls/Sheet.h"
#include "xls/XlsError.h"

namespace xls {

void CheckSheetIndex(uint32_t index, size_t count) {
    if (index >= count)
        throw Error(Error::Code::SheetIndex, "Sheet " + std::to_string(uint64_t{index} + 1) +
                                                 " is past the last sheet of the workbook (" + std::to_string(count) +
                                                 ")");
}

void CheckSheetName(std::u16string_view name, const std::vector<std::u16string>& names, size_t self) {
    const bool refused =
        name.empty() || name.size() > kMaxSheetName || name.find_first_of(u":\\/?*[]") != std::u16string_view::npos;
    bool taken = false;
    for (size_t i = 0; i < names.size(); ++i)
        taken = taken || (i != self && AsciiUpper(names[i]) == AsciiUpper(name));
    if (refused || taken)
        throw Error(Error::Code::SheetName, taken ? "Another sheet has that name already"
                                                  : "A sheet name has 1 to 31 characters and none of : \\ / ? * [ ]");
}

void CheckCellWithin(uint32_t row, uint32_t column, uint32_t rows, uint32_t columns) {
    if (row >= rows)
        throw Error(Error::Code::RowLimit, "Row " + std::to_string(uint64_t{row} + 1) +
                                               " is past the last row of a worksheet (" + std::to_string(rows) + ")");
    if (column >= columns)
        throw Error(Error::Code::ColumnLimit, "Column " + std::to_string(uint64_t{column} + 1) +
                                                  " is past the last column of a worksheet (" +
                                                  std::to_string(columns) + ")");
}

} // namespace xls
