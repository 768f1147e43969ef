// The application's title and the plain message box every command uses.
#pragma once

#include "platform/Prompter.h"

inline const QString kAppTitle = QStringLiteral("VerdanixV" VERDANIX_VERSION);

// A plain message box captioned with the application title: no icon, one OK button.
inline void ShowMessage(IPrompter& prompter, const QString& text) {
    prompter.MessageBox(kAppTitle, text, IPrompter::Icon::None, IPrompter::Buttons::Ok);
}

// The texts both programs show (the window in message boxes, the command line on its error
// output), in one place so that they never drift apart.
namespace app_text {
inline const QString kConnectFailed = QStringLiteral("连接服务器失败!");
inline const QString kDatabaseError = QStringLiteral("访问数据库出错："); // followed by the error
inline const QString kReadError = QStringLiteral("读取数据出错:");        // followed by the error
inline const QString kViewError = QStringLiteral("连接视图出错:");        // followed by the error
inline const QString kDocumentError = QStringLiteral("连接文档出错:");    // followed by the error
inline const QString kFileExists = QStringLiteral("文件已存在!");         // after the workbook's path
inline const QString kNothingToExport = QStringLiteral("当前没有可导出的内容");
inline const QString kNoSpreadsheet = QStringLiteral("请确认您电脑上是否安装了EXCEL！");
inline const QString kReadingDominoFile = QStringLiteral("正在读取数据库文件，请稍候...");
// What a Domino database file held that could not be read, and where the list is.
inline QString DominoFileUnread(qsizetype count, const QString& list) {
    return QStringLiteral("数据库文件中有%1项内容未能读取或已简化，清单见：%2").arg(count).arg(list);
}
inline const QString kExportDone =
    QStringLiteral("您好，数据导出完成，导出的附件文档存放在Excel文件的同一目录下，文件夹名为："); // then the folder
// The first line of the completion message when not one attachment could be saved.
inline const QString kExportDoneWorkbook = QStringLiteral("您好，数据导出完成，Excel文件为："); // then the workbook
// A workbook that could not be saved, and why.
inline QString WorkbookNotSaved(const QString& workbook, const QString& reason) {
    return QStringLiteral("Excel文件未能保存：%1\n原因：%2").arg(workbook, reason);
}
} // namespace app_text

// Follows the two messages of a failed component registration.
inline const QString kContactSupplier = QStringLiteral("请与软件供应商联系：Verdanix 技术支持，support@verdanix.com。");
