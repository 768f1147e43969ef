// The texts of the store's errors, which reach the user as the server's messages do. The store
// plays a Domino server that speaks the user's language (Chinese unless English is chosen); they
// all live here.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

namespace store::notes_text {

inline std::u16string FileDoesNotExist() {
    return QCoreApplication::translate("notes_text", "文件不存在").toStdU16String();
}
inline std::u16string NotADatabase() {
    return QCoreApplication::translate("notes_text", "文件不是数据库").toStdU16String();
}
inline std::u16string InvalidUnid() {
    return QCoreApplication::translate("notes_text", "无效的通用 ID").toStdU16String();
}
// A database written in full that could not take the place of the file it replaces.
inline std::u16string NotPutInPlace(const QString& target, const QString& cause) {
    return QCoreApplication::translate("notes_text", "新数据库未能放到 %1 处：%2").arg(target, cause).toStdU16String();
}
inline std::u16string ServerNotResponding() {
    return QCoreApplication::translate(
               "notes_text",
               "服务器没有响应。服务器可能已关闭，或者您遇到了网络问题。如果此问题仍然存在，请与系统管理员联系。")
        .toStdU16String();
}
inline std::u16string NotInitialized() {
    return QCoreApplication::translate("notes_text", "会话尚未初始化").toStdU16String();
}
inline std::u16string NotAuthorized() {
    return QCoreApplication::translate("notes_text", "您无权访问该数据库").toStdU16String();
}
inline std::u16string InsufficientMemory() {
    return QCoreApplication::translate("notes_text", "内存不足").toStdU16String();
}
inline std::u16string ForeignDocument() {
    return QCoreApplication::translate("notes_text", "该文档不属于此视图的数据库").toStdU16String();
}
inline std::u16string EntryNotFound() {
    return QCoreApplication::translate("notes_text", "在索引中找不到该条目").toStdU16String();
}
inline std::u16string DocumentRequired() {
    return QCoreApplication::translate("notes_text", "需要本服务器的文档").toStdU16String();
}
inline std::u16string AnonymousRefused() {
    return QCoreApplication::translate("notes_text", "此服务器不允许匿名访问").toStdU16String();
}
inline std::u16string WrongPassword() {
    return QCoreApplication::translate("notes_text", "密码错误。（密码区分大小写，请注意大小写是否正确。）")
        .toStdU16String();
}
inline std::u16string NoDataDirectory() {
    return QCoreApplication::translate("notes_text", "notes.ini 未指定数据目录（Directory=）").toStdU16String();
}

inline std::u16string ReadFailed(const std::u16string& reason) {
    return QCoreApplication::translate("notes_text", "无法读取数据库：%1")
        .arg(QString::fromStdU16String(reason))
        .toStdU16String();
}
inline std::u16string FormulaFailed(const std::u16string& reason) {
    return QCoreApplication::translate("notes_text", "公式错误：%1")
        .arg(QString::fromStdU16String(reason))
        .toStdU16String();
}
inline std::u16string WriteFailed(const std::u16string& reason) {
    return QCoreApplication::translate("notes_text", "无法写入文件：%1")
        .arg(QString::fromStdU16String(reason))
        .toStdU16String();
}
inline std::u16string ViewNotFound(const std::u16string& name) {
    return QCoreApplication::translate("notes_text", "找不到视图：%1")
        .arg(QString::fromStdU16String(name))
        .toStdU16String();
}
inline std::u16string DirectoryUnavailable(const std::u16string& reason) {
    return QCoreApplication::translate("notes_text", "无法打开 Domino 目录：%1")
        .arg(QString::fromStdU16String(reason))
        .toStdU16String();
}
inline std::u16string UserNotListed(const std::u16string& name) {
    return QCoreApplication::translate("notes_text", "Domino 目录中没有用户 %1")
        .arg(QString::fromStdU16String(name))
        .toStdU16String();
}
inline std::u16string UserAmbiguous(const std::u16string& name) {
    return QCoreApplication::translate("notes_text", "名称 %1 与 Domino 目录中的多个人员相符")
        .arg(QString::fromStdU16String(name))
        .toStdU16String();
}
inline std::u16string NoNotesIni(const std::u16string& folder) {
    return QCoreApplication::translate("notes_text", "在 %1 中找不到 notes.ini")
        .arg(QString::fromStdU16String(folder))
        .toStdU16String();
}

} // namespace store::notes_text
