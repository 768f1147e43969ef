// The texts of the store's errors, which reach the user as the server's messages do. The store
// plays a Chinese Domino server, so they are Chinese; they all live here, so that another
// language can follow in one place.
#pragma once

#include <string>

namespace store::notes_text {

inline constexpr char16_t kFileDoesNotExist[] = u"文件不存在";
inline constexpr char16_t kNotADatabase[] = u"文件不是数据库";
inline constexpr char16_t kInvalidUnid[] = u"无效的通用 ID";
inline constexpr char16_t kServerNotResponding[] =
    u"服务器没有响应。服务器可能已关闭，或者您遇到了网络问题。如果此问题仍然存在，请与系统管理员联系。";
inline constexpr char16_t kNotInitialized[] = u"会话尚未初始化";
inline constexpr char16_t kNotAuthorized[] = u"您无权访问该数据库";
inline constexpr char16_t kInsufficientMemory[] = u"内存不足";
inline constexpr char16_t kForeignDocument[] = u"该文档不属于此视图的数据库";
inline constexpr char16_t kEntryNotFound[] = u"在索引中找不到该条目";
inline constexpr char16_t kDocumentRequired[] = u"需要本服务器的文档";
inline constexpr char16_t kAnonymousRefused[] = u"此服务器不允许匿名访问";
inline constexpr char16_t kWrongPassword[] = u"密码错误。（密码区分大小写，请注意大小写是否正确。）";
inline constexpr char16_t kNoDataDirectory[] = u"notes.ini 未指定数据目录（Directory=）";

inline std::u16string ReadFailed(const std::u16string& reason) {
    return u"无法读取数据库：" + reason;
}
inline std::u16string FormulaFailed(const std::u16string& reason) {
    return u"公式错误：" + reason;
}
inline std::u16string WriteFailed(const std::u16string& reason) {
    return u"无法写入文件：" + reason;
}
inline std::u16string ViewNotFound(const std::u16string& name) {
    return u"找不到视图：" + name;
}
inline std::u16string DirectoryUnavailable(const std::u16string& reason) {
    return u"无法打开 Domino 目录：" + reason;
}
inline std::u16string UserNotListed(const std::u16string& name) {
    return u"Domino 目录中没有用户 " + name;
}
inline std::u16string UserAmbiguous(const std::u16string& name) {
    return u"名称 " + name + u" 与 Domino 目录中的多个人员相符";
}
inline std::u16string NoNotesIni(const std::u16string& folder) {
    return u"在 " + folder + u" 中找不到 notes.ini";
}

} // namespace store::notes_text
