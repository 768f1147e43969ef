// The spreadsheet automation interface on Windows: "Excel.Application" through late binding.
#pragma once

#include "interfaces/SpreadsheetAutomation.h"

#include <memory>

struct IDispatch;

class Win32SpreadsheetAutomation : public ISpreadsheetAutomation {
public:
    // CLSIDFromProgID("Excel.Application"), then CoCreateInstance; raises EOleException with the
    // system's code when either fails (0x800401F3 when no spreadsheet program is installed).
    std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat format) override;
};

namespace win32 {
// The application adapter for an application object (a reference of its own is taken).
std::unique_ptr<ISpreadsheetApplication> WrapSpreadsheetApplication(IDispatch* application,
                                                                    WorkbookFormat format = WorkbookFormat::Xls);
} // namespace win32
