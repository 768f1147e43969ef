// The export of a listed view to a workbook: one row per document (its universal ID, then the
// text of each field named in the header row, which the view's first document's items give),
// and beside the workbook a folder named after the view with one folder per document holding
// its attachments, the objects embedded in its rich text and its rich-text pictures.
#pragma once

#include "export/DocumentFiles.h"
#include "interfaces/SpreadsheetAutomation.h"

#include <QString>

#include <cstdint>
#include <functional>

class IProgress;
class IPrompter;
class TNotesDatabase;
class TNotesSession;

// What the export works with; the main window passes its own.
struct ExportContext {
    TNotesSession& session;
    TNotesDatabase& database;
    ISpreadsheetAutomation& spreadsheet;
    IProgress& progress;
    IPrompter& prompter;
    // Lets the user interface handle what is pending (called at most every 50 ms).
    std::function<void()> processEvents;
};

// How an export ended.
struct ExportResult {
    bool completed = false;           // the workbook is saved and the completion message shown
    std::vector<MissingFile> missing; // files that could not be saved (the export went on)
    QString missingList;              // the text file listing them; empty when none are missing
};

// Exports docCount documents of view viewName of the context's database to the workbook
// fileName (".xls" or ".xlsx" is added, as chosen, unless it ends in either; the ending decides
// the format), telling the user the outcome. A sheet holds 65,535 documents and 255 fields in
// .xls, 1,048,575 and 16,383 in .xlsx; further documents and fields go on in further sheets,
// each with its header row and the document IDs, named after the documents and fields they hold.
// How the attachment folder is named after the view: the view's name with each "\" or "/" a
// folder level (the window's), or one folder cleaned as a workbook named after the view is.
enum class FolderNaming { ViewLevels, OneFolder };
ExportResult ExportToExcel(const ExportContext& context, const QString& fileName, const QString& viewName,
                           int32_t docCount, WorkbookFormat chosen = WorkbookFormat::Xls,
                           FolderNaming naming = FolderNaming::ViewLevels);

// A view without documents as a workbook of its header row alone, for exports that give every
// view its workbook. Raises what the spreadsheet raises.
void ExportEmptyView(ISpreadsheetAutomation& spreadsheet, const QString& workbook);

// The workbook path for a chosen file name: kept when it ends in ".xls" or ".xlsx" (any letter
// case), else with the chosen format's ending added.
QString WorkbookPath(const QString& fileName, WorkbookFormat chosen = WorkbookFormat::Xls);
// The format a workbook path is written in: the format of its ending, else .xls.
WorkbookFormat FormatOf(const QString& workbook);
// The save dialog's filter: each format by its name and ending, .xls first ("Excel文件|*.xls|...").
QString SaveDialogFilter();
// The format of the save dialog's filter entry filter (from 0).
WorkbookFormat FilterFormat(int filter);
// Where a workbook that replaces workbook is written until it is complete, in the same format.
QString TemporaryWorkbookPath(const QString& workbook);

// The folder beside workbook that holds the attachments of view viewName's documents: the view's
// name followed by "附件", named as naming says.
QString AttachmentFolder(const QString& workbook, const QString& viewName,
                         FolderNaming naming = FolderNaming::ViewLevels);

// The list of the files an export could not save: beside the workbook, named after it.
QString MissingFileListPath(const QString& workbook);

// The width of a header column: the name's length in bytes of ANSI text (GBK: two for a
// character outside ASCII) plus 10, at most 255.
int32_t HeaderColumnWidth(const QString& name);
