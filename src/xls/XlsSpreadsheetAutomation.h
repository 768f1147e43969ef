// The portable spreadsheet automation back end: an "application" whose workbook is the program's
// own writer's, saved as an Excel 97-2003 (.xls) or Office Open XML (.xlsx) file. Rows and columns
// count from 1 as in the automation interface; every failure is raised as EOleException with the
// writer's message.
#pragma once

#include "interfaces/SpreadsheetAutomation.h"

#include <memory>

class XlsSpreadsheetAutomation : public ISpreadsheetAutomation {
public:
    std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat format) override;
};
