// The workbook globals substream: BOF, code page, window, fonts, cell formats (XF), the Normal
// style, the sheets' entries, the shared string table and EOF.
#pragma once

#include "xls/RecordWriter.h"
#include "xls/Sst.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// Cell format indexes: the default cell format and the text format "@".
constexpr uint16_t kDefaultXf = 15;
constexpr uint16_t kTextXf = 16;

// A sheet's entry: its name and the stream position of its BOF record.
struct SheetEntry {
    std::u16string name;
    uint32_t offset = 0;
};

// Writes the globals; cellReferences is the number of cells that refer to the string table.
void WriteGlobals(RecordWriter& out, const StringTable& strings, uint32_t cellReferences,
                  const std::vector<SheetEntry>& sheets);

// Writes the BOF record of a substream of the given type (0x0005 globals, 0x0010 worksheet).
void WriteBof(RecordWriter& out, uint16_t substreamType);

} // namespace xls
