// The spreadsheet automation server as the export drives it ("Excel.Application"): exactly the
// members the export calls, each named after the automation member it stands for. Rows and
// columns count from 1. Failing calls raise EOleException. Standard C++ only.
#pragma once

#include "interfaces/ComObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class ISpreadsheetApplication {
public:
    virtual ~ISpreadsheetApplication() = default;

    // "WorkBooks", then "Add": a new workbook with one sheet, which becomes the active one.
    virtual void AddWorkbook() = 0;
    // "activeworkbook", "Worksheets", then "Add" with After := the last sheet ("Item"("Count")):
    // a new sheet after the others, which becomes the active one.
    virtual void AddSheet() = 0;
    // "activeworkbook", "Worksheets", "Item"(index), then "Activate": sheet index (from 1, in the
    // order the sheets were added) becomes the active one.
    virtual void ActivateSheet(int32_t index) = 0;
    // "activesheet", "Name" := name: the active sheet's tab name (at most 31 characters, none of
    // : \ / ? * [ ], unique in the workbook).
    virtual void SetSheetName(const std::u16string& name) = 0;
    // "activesheet", "columns"(column), "columnwidth" := width (in characters of the standard font).
    virtual void SetColumnWidth(int32_t column, int32_t width) = 0;
    // "cells"(row, column), "NumberFormatLocal" := format (the export passes only "@").
    virtual void SetCellNumberFormat(int32_t row, int32_t column, const std::u16string& format) = 0;
    // "cells"(row, column), "value" := text.
    virtual void SetCellValue(int32_t row, int32_t column, std::u16string_view text) = 0;
    // "activeworkbook", "SaveAs"(path, the format's file format number; see kWorkbookFormats).
    virtual void SaveActiveWorkbookAs(const std::u16string& path) = 0;
    // "quit".
    virtual void Quit() = 0;
};

// The file format a workbook is saved in: Excel 97-2003 (.xls) or Office Open XML (.xlsx).
enum class WorkbookFormat { Xls, Xlsx };

// What each format is, in one place for every part of the program: a new format is a row here
// and a writer.
struct WorkbookFormatInfo {
    WorkbookFormat format;
    std::string_view name;      // as the command line names it
    std::u16string_view ending; // the file name's ending
    uint32_t maxRows;           // rows of a sheet, the header row among them
    uint32_t maxColumns;        // columns of a sheet
    int32_t saveAsNumber;       // the spreadsheet program's file format number for "SaveAs"
};

inline constexpr WorkbookFormatInfo kWorkbookFormats[] = {
    {WorkbookFormat::Xls, "xls", u".xls", 65536, 256, 56},        // xlExcel8
    {WorkbookFormat::Xlsx, "xlsx", u".xlsx", 1048576, 16384, 51}, // xlOpenXMLWorkbook
};

constexpr const WorkbookFormatInfo& FormatInfo(WorkbookFormat format) {
    for (const WorkbookFormatInfo& info : kWorkbookFormats)
        if (info.format == format)
            return info;
    return kWorkbookFormats[0];
}

class ISpreadsheetAutomation {
public:
    virtual ~ISpreadsheetAutomation() = default;
    // Creates the automation object by its programmatic identifier ("Excel.Application") for a
    // workbook that will be saved in format. Raises EOleException when no server can be created.
    virtual std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat format) = 0;
};
