// The application's title and the plain message box every command uses.
#pragma once

#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDir>

inline const QString kAppTitle = QStringLiteral("VerdanixV" VERDANIX_VERSION);

// A plain message box captioned with the application title: no icon, one OK button.
inline void ShowMessage(IPrompter& prompter, const QString& text) {
    prompter.MessageBox(kAppTitle, text, IPrompter::Icon::None, IPrompter::Buttons::Ok);
}

// The texts both programs show (the window in message boxes, the command line on its error
// output), in one place so that they never drift apart; each in the user's language.
namespace app_text {
inline QString ConnectFailed() {
    return QCoreApplication::translate("app_text", "连接服务器失败!");
}
// Followed by the error.
inline QString DatabaseError() {
    return QCoreApplication::translate("app_text", "访问数据库出错：");
}
// Followed by the error.
inline QString ReadError() {
    return QCoreApplication::translate("app_text", "读取数据出错:");
}
// Followed by the error.
inline QString ViewError() {
    return QCoreApplication::translate("app_text", "连接视图出错:");
}
// Followed by the error.
inline QString DocumentError() {
    return QCoreApplication::translate("app_text", "连接文档出错:");
}
// After the workbook's path.
inline QString FileExists() {
    return QCoreApplication::translate("app_text", "文件已存在!");
}
inline QString NothingToExport() {
    return QCoreApplication::translate("app_text", "当前没有可导出的内容");
}
inline QString NoSpreadsheet() {
    return QCoreApplication::translate("app_text", "请确认您电脑上是否安装了EXCEL！");
}
inline QString ReadingDominoFile() {
    return QCoreApplication::translate("app_text", "正在读取数据库文件，请稍候...");
}
// What a Domino database file held that could not be read, and where the list is.
inline QString DominoFileUnread(qsizetype count, const QString& list) {
    return QCoreApplication::translate("app_text", "数据库文件中有%1项内容未能读取或已简化，清单见：%2")
        .arg(count)
        .arg(QDir::toNativeSeparators(list));
}
// Then the folder.
inline QString ExportDone() {
    return QCoreApplication::translate("app_text",
                                       "您好，数据导出完成，导出的附件文档存放在Excel文件的同一目录下，文件夹名为：");
}
// The first line of the completion message when not one attachment could be saved; then the
// workbook.
inline QString ExportDoneWorkbook() {
    return QCoreApplication::translate("app_text", "您好，数据导出完成，Excel文件为：");
}
// A workbook that could not be saved, and why.
inline QString WorkbookNotSaved(const QString& workbook, const QString& reason) {
    return QCoreApplication::translate("app_text", "Excel文件未能保存：%1\n原因：%2").arg(workbook, reason);
}
// Follows the two messages of a failed component registration.
inline QString ContactSupplier() {
    return QCoreApplication::translate("app_text", "请与软件供应商联系：Verdanix 技术支持，support@verdanix.com。");
}
} // namespace app_text
