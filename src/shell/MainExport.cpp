// The main window's export of the listed view, and the import command.
#include "shell/main.h"

#include "access/AppText.h"
#include "access/ErrorMessage.h"
#include "export/ExportToExcel.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

void TfrmMain::exportExecute() {
    if (!session)
        return;
    const QString folder = m_lastExportFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : m_lastExportFolder;
    if (const auto fileName = m_env.prompter->SaveFileName(QStringLiteral("Excel文件|*.xls"), folder)) {
        m_lastExportFolder = QFileInfo(*fileName).absolutePath();
        ExportToExcel(*fileName);
    }
}

void TfrmMain::ExportToExcel(const QString& FileName) {
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
    ::ExportToExcel(context, FileName, viewName, docCount);
}

void TfrmMain::inportdataExecute() {
    ShowMessage(*m_env.prompter, QStringLiteral("对不起，该功能暂时尚未提供!"));
}
