// The error type of the workbook writer: a UTF-8 message for the user and a code for callers
// that react to the kind of failure.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace xls {

class Error : public std::runtime_error {
public:
    enum class Code {
        RowLimit,          // row index past the last row of a worksheet
        ColumnLimit,       // column index past the last column of a worksheet
        ColumnWidth,       // column width outside what a column can have
        SheetIndex,        // a sheet past the last one
        SheetName,         // a sheet name a spreadsheet program refuses
        RowOrder,          // a streamed sheet's row set after a later one
        UnsupportedFormat, // a number format the writer does not write
        TooLarge,          // the workbook stream would not fit the file format
        Io,                // the file could not be written
    };

    Error(Code code, const std::string& message, std::error_code cause = {})
        : std::runtime_error(message), m_code(code), m_cause(cause) {}

    Code code() const noexcept { return m_code; }
    // The file system's reason of an Io error, where there is one.
    const std::error_code& cause() const noexcept { return m_cause; }

private:
    Code m_code;
    std::error_code m_cause;
};

} // namespace xls
