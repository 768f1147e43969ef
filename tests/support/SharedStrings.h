// Reads the shared string table (SST) of a BIFF8 workbook stream, and reports how its strings lie
// in the SST record and the CONTINUE records after it, for the checks of the writer's layout.
#pragma once

#include "../xls/BiffReader.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace xlstest {

struct SharedStrings {
    // A string that goes on in the next record, which starts with a flags byte of its own.
    struct Continuation {
        size_t string;     // its number, from 0
        char16_t lastUnit; // the last unit before the break; 0 when none was
        bool wideBefore;   // UTF-16 before the break, else one byte a character
        bool wideAfter;
    };

    std::vector<std::u16string> strings;
    // Where each string's header (length and flags) starts: record number, offset in its data.
    std::vector<std::pair<size_t, size_t>> headers;
    std::vector<Continuation> continuations;
    // Where the last string ends.
    size_t endRecord = 0;
    size_t endOffset = 0;
};

// Decodes the table from the data of its records, the SST record's first. A string header split
// between records, or a string that runs past the last record, throws.
inline SharedStrings DecodeSharedStrings(const std::vector<std::string>& records) {
    SharedStrings table;
    const uint32_t count = U32(records.at(0), 4);
    size_t record = 0, pos = 8;
    for (uint32_t i = 0; i < count; ++i) {
        if (pos == records.at(record).size()) {
            ++record;
            pos = 0;
        }
        const std::string* data = &records.at(record);
        if (pos + 3 > data->size())
            throw std::runtime_error("string header split");
        table.headers.emplace_back(record, pos);
        const uint32_t length = U16(*data, pos);
        bool wide = (*data)[pos + 2] & 1;
        pos += 3;
        std::u16string text;
        while (text.size() < length) {
            if (pos == data->size()) {
                data = &records.at(++record);
                const bool wideAfter = data->at(0) & 1;
                table.continuations.push_back({i, text.empty() ? u'\0' : text.back(), wide, wideAfter});
                wide = wideAfter;
                pos = 1;
            }
            text += static_cast<char16_t>(wide ? U16(*data, pos) : static_cast<uint8_t>(data->at(pos)));
            pos += wide ? 2 : 1;
        }
        table.strings.push_back(std::move(text));
    }
    table.endRecord = record;
    table.endOffset = pos;
    return table;
}

// The shared strings of a whole workbook stream: its SST record and the CONTINUE records after
// it; none when it has no SST.
inline std::vector<std::u16string> ReadSharedStrings(const std::string& stream) {
    std::vector<std::string> records;
    for (const auto& record : ReadRecords(stream)) {
        if (record.type == 0x00FC)
            records.push_back(record.data);
        else if (record.type == 0x003C && !records.empty())
            records.push_back(record.data);
        else if (!records.empty())
            break;
    }
    if (records.empty())
        return {};
    return DecodeSharedStrings(records).strings;
}

} // namespace xlstest
