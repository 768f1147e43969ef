// The workbook globals substream: BOF, code page, window, fonts, cell formats (XF), the Normal
// style, the one sheet's entry, the shared string table and EOF.
#pragma once

#include "xls/RecordWriter.h"
#include "xls/Sst.h"

#include <cstdint>
#include <string_view>

namespace xls {

// Cell format indexes: the default cell format and the text format "@".
constexpr uint16_t kDefaultXf = 15;
constexpr uint16_t kTextXf = 16;

// Writes the globals. sheetOffset is the stream position of the sheet's BOF record, which is
// where the globals end; cellReferences is the number of cells that refer to the string table.
void WriteGlobals(RecordWriter& out, const StringTable& strings, uint32_t cellReferences, uint32_t sheetOffset,
                  std::u16string_view sheetName);

// Writes the BOF record of a substream of the given type (0x0005 globals, 0x0010 worksheet).
void WriteBof(RecordWriter& out, uint16_t substreamType);

} // namespace xls
