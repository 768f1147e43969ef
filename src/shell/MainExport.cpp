// The main window's export of the listed view, and the import command.
#include "shell/main.h"

#include "access/AppText.h"
#include "access/ErrorMessage.h"
#include "export/ExportToExcel.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

void TfrmMain::exportExecute() {
    if (!session)
        return;
    // The dialog starts in a folder that stands, with no name filled in: a folder that does not
    // exist would be taken for the name of the workbook.
    QString folder = QDir::homePath();
    for (const QString& candidate :
         {m_lastExportFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
        if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) {
            folder = candidate;
            break;
        }
    // .xls first and selected; the filter the user leaves selected decides the format of a name
    // typed without an ending.
    int chosen = 0;
    if (const auto fileName = m_env.prompter->SaveFileName(SaveDialogFilter(), folder, &chosen)) {
        m_lastExportFolder = QFileInfo(*fileName).absolutePath();
        ExportToExcel(*fileName, FilterFormat(chosen));
    }
}

void TfrmMain::ExportToExcel(const QString& FileName, WorkbookFormat format) {
    m_exporting = true;
    const struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_exporting};
    // The export keeps the view it started with, whatever the window shows meanwhile.
    TNotesDatabase exported;
    exported.ConnectTo(database->DefaultInterface());
    const ExportContext context{*session,        exported,        *m_env.spreadsheet,
                                *m_env.progress, *m_env.prompter, [] { QCoreApplication::processEvents(); }};
    ::ExportToExcel(context, FileName, viewName, docCount, format);
}

void TfrmMain::inportdataExecute() {
    ShowMessage(*m_env.prompter, tr("对不起，该功能暂时尚未提供!"));
}
