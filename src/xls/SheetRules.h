// The rules both workbook writers keep for sheets and cells: which sheet numbers, sheet names and
// cells exist. Each raises xls::Error with a message that counts from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// Raises Error (SheetIndex) unless index (from 0) is one of count sheets.
void CheckSheetIndex(uint32_t index, size_t count);
// Raises Error (SheetName) for a name a spreadsheet program refuses (empty, longer than 31
// characters, holding one of : \ / ? * [ ]) or that another sheet than names[self] has, in any
// letter case.
void CheckSheetName(std::u16string_view name, const std::vector<std::u16string>& names, size_t self);
// Raises Error (RowLimit, ColumnLimit) for a cell outside a sheet of rows x columns.
void CheckCellWithin(uint32_t row, uint32_t column, uint32_t rows, uint32_t columns);

} // namespace xls
