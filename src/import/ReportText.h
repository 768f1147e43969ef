// The lines of an import's report, in the user's language, all in one place. Each takes what it
// names; the reader's own reasons are passed through as they come.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace importer::report_text {

// Where a line's note is: the file and the note's id.
inline QString NoteWhere(const QString& file, const QString& noteId) {
    return QCoreApplication::translate("ReportText", "%1: 记录 %2").arg(file, noteId);
}
// A file shorter than its header says.
inline QString Truncated(qint64 size, qint64 stated) {
    return QCoreApplication::translate(
               "ReportText", "文件比其文件头所说的短（%1 字节，应为 %2 字节）：文件已被截断，截断处之后的内容丢失，"
                             "其余内容照常读取")
        .arg(size)
        .arg(stated);
}
inline QString NotRead(const QString& reason) {
    return QCoreApplication::translate("ReportText", "未能读取：%1").arg(reason);
}
inline QString ItemNotRead(const QString& item, const QString& reason) {
    return QCoreApplication::translate("ReportText", "项 %1 未能读取：%2").arg(item, reason);
}
inline QString ItemLeftOut(const QString& item, const QString& type, qsizetype documents, const QString& why) {
    return QCoreApplication::translate("ReportText", "项 %1（%2）在 %3 个文档中未导入：%4")
        .arg(item, type)
        .arg(documents)
        .arg(why);
}
inline QString NotAStoreValue() {
    return QCoreApplication::translate("ReportText", "存储中没有这种值");
}
inline QString CreatedNotATime() {
    return QCoreApplication::translate("ReportText", "创建时间不是有效的时间：以导入的时间代替");
}
inline QString ModifiedNotATime() {
    return QCoreApplication::translate("ReportText", "修改时间不是有效的时间：以导入的时间代替");
}
inline QString Unconverted(const QString& item, qsizetype count) {
    return QCoreApplication::translate("ReportText", "项 %1：%2 个字符属于本程序无法转换的字符集，显示为 U+FFFD")
        .arg(item)
        .arg(count);
}
inline QString ValuesLeftOut(const QString& item, qsizetype count) {
    return QCoreApplication::translate("ReportText", "项 %1：%2 个值不是数字或时间，未导入").arg(item).arg(count);
}
inline QString TimeOutOfRange(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1：一个不在公元 100 至 9999 年之间的时间未导入").arg(item);
}
inline QString MailItemDamaged(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1：邮件项已损坏，未导入").arg(item);
}
inline QString RichTextDamaged(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1：RTF 内容已损坏，保留损坏之前的文本").arg(item);
}
// A kind of picture whose bytes end early.
inline QString CutShort(const QString& kind) {
    return QCoreApplication::translate("ReportText", "%1（不完整）").arg(kind);
}
inline QString WorkCopyCleared() {
    return QCoreApplication::translate("ReportText", "已清除上次中断的导入留在目标旁的工作副本");
}
inline QString TargetNotNamedNsf(const QString& file) {
    return QCoreApplication::translate("ReportText", "目标 %1 没有以数据库的扩展名（.nsf）命名").arg(file);
}
inline QString TargetNotAFile(const QString& file) {
    return QCoreApplication::translate("ReportText", "目标 %1 不是数据库文件").arg(file);
}
inline QString TargetNotAStoreDatabase(const QString& file) {
    return QCoreApplication::translate("ReportText", "目标 %1 已存在，但不是存储数据库：保持原样").arg(file);
}
inline QString PicturesNotKept(const QString& item, qsizetype count, const QString& kind) {
    return QCoreApplication::translate("ReportText", "项 %1：%2 张图片（%3）未保留（只保留 GIF 和 JPEG 图片）")
        .arg(item)
        .arg(count)
        .arg(kind);
}
inline QString AttachmentNotRead(const QString& reason) {
    return QCoreApplication::translate("ReportText", "一个附件未能读取：%1").arg(reason);
}
inline QString NamedAttachmentNotRead(const QString& name, qint64 size, const QString& reason) {
    return QCoreApplication::translate("ReportText", "附件 %1（%2 字节）未能读取：%3").arg(name).arg(size).arg(reason);
}
inline QString MimeBodyNotRead(const QString& item, const QString& file, const QString& reason) {
    return QCoreApplication::translate("ReportText", "项 %1：MIME 部分的正文（对象 %2）未能读取：%3")
        .arg(item, file, reason);
}
inline QString FolderNotRead(const QString& folder, const QString& reason) {
    return QCoreApplication::translate("ReportText", "文件夹“%1”未导入：其成员列表未能读取：%2").arg(folder, reason);
}
inline QString ViewFromIndex(const QString& view, const QString& words) {
    return words.isEmpty()
               ? QCoreApplication::translate("ReportText",
                                             "视图“%1”：其选择公式未能读取：所列文档取自其保存的索引（索引可能已过时）")
                     .arg(view)
               : QCoreApplication::translate(
                     "ReportText", "视图“%1”：其编译后的选择公式中有本程序不认识的字 %2：所列文档取自其保存的索引"
                                   "（索引可能已过时）")
                     .arg(view, words);
}
inline QString SelectionWords(const QString& view, const QString& words) {
    return QCoreApplication::translate(
               "ReportText", "视图“%1”：其编译后的选择公式中有本程序不认识的字 %2：选择除配置文档以外的所有文档")
        .arg(view, words);
}
inline QString CompiledSelection(const QString& view) {
    return QCoreApplication::translate("ReportText",
                                       "视图“%1”：其选择公式是编译后的形式，导入不能读取：选择除配置文档以外的所有文档")
        .arg(view);
}
inline QString CompiledColumn(const QString& view, qsizetype column) {
    return QCoreApplication::translate("ReportText", "视图“%1”第 %2 列：其值是编译后的公式，导入不能读取：此列留空")
        .arg(view)
        .arg(column);
}
inline QString ColumnsNotRead(const QString& view, const QString& reason) {
    return reason.isEmpty() ? QCoreApplication::translate("ReportText", "视图“%1”：其列未能读取").arg(view)
                            : QCoreApplication::translate("ReportText", "视图“%1”：其列未能读取：%2").arg(view, reason);
}
inline QString InvalidUnid(const QString& unid) {
    return QCoreApplication::translate("ReportText", "通用 ID %1 无效：文档获得新的通用 ID").arg(unid);
}
inline QString ReplacesImported(const QString& unid) {
    return QCoreApplication::translate("ReportText", "文档 %1 替换了本次导入中先前导入的同一通用 ID 的文档").arg(unid);
}
inline QString ReplacesExisting(const QString& unid) {
    return QCoreApplication::translate("ReportText", "文档 %1 替换了数据库中已有的同一通用 ID 的文档").arg(unid);
}
inline QString SecondUnid(const QString& unid) {
    return QCoreApplication::translate("ReportText", "第二个通用 ID 为 %1 的文档获得新的通用 ID").arg(unid);
}
inline QString AddedAllDocuments(const QString& view) {
    return QCoreApplication::translate("ReportText", "添加了包含所有文档的视图“%1”：导入的视图中没有供浏览的视图")
        .arg(view);
}
// A run of lines of one text, from the first place to the last.
inline QString Repeated(const QString& first, const QString& last, qsizetype count, const QString& text) {
    return QCoreApplication::translate("ReportText", "%1 至 %2（共 %3 处）: %4").arg(first, last).arg(count).arg(text);
}
// The report's first line.
inline QString Summary(qint64 documents, qint64 items, qint64 files, qint64 pictures, qint64 views) {
    return QCoreApplication::translate("ReportText", "导入了 %1 个文档、%2 个项、%3 个文件对象、%4 张图片、%5 个视图")
        .arg(documents)
        .arg(items)
        .arg(files)
        .arg(pictures)
        .arg(views);
}

// The DXL reader's lines, and why an import could not be done.
inline QString EntityUndeclared(const QString& name) {
    return QCoreApplication::translate("ReportText", "实体引用 &%1; 在导入读取的内容中没有声明，按原样保留").arg(name);
}
inline QString RichTextEntityUndeclared(const QString& name) {
    return QCoreApplication::translate("ReportText", "RTF 中的实体引用 &%1; 在导入读取的内容中没有声明，按原样保留")
        .arg(name);
}
inline QString SkippedElement(const QString& name) {
    return QCoreApplication::translate("ReportText", "跳过了 <%1>（不是文档或视图）").arg(name);
}
inline QString CreatedMissing() {
    return QCoreApplication::translate("ReportText", "文档的创建时间缺失或无效：以导入的时间代替");
}
inline QString ModifiedMissing() {
    return QCoreApplication::translate("ReportText", "文档的修改时间缺失或无效：以导入的时间代替");
}
inline QString NotFinite(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1：一个不是有限值的数（nan 或 inf），未导入").arg(item);
}
inline QString NotANumber(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1：一个无效的数，未导入").arg(item);
}
inline QString NotADateTime(const QString& item, const QString& text) {
    return QCoreApplication::translate("ReportText", "项 %1：日期时间 %2 无效，未导入").arg(item, text);
}
inline QString ItemPlace(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1").arg(item);
}
inline QString FilePlace(const QString& file) {
    return QCoreApplication::translate("ReportText", "文件 %1").arg(file);
}
inline QString NotAStoreElement(const QString& item, const QString& element) {
    return QCoreApplication::translate("ReportText", "项 %1：<%2> 不是存储能保存的值，此项未导入").arg(item, element);
}
inline QString NoKnownValue(const QString& item) {
    return QCoreApplication::translate("ReportText", "项 %1 没有存储认识的值，未导入").arg(item);
}
inline QString SelectionBeyond(const QString& view) {
    return QCoreApplication::translate("ReportText", "视图 %1：其选择公式超出了存储支持的公式，选择所有文档").arg(view);
}
inline QString ColumnShowsItem(const QString& view, qsizetype column) {
    return QCoreApplication::translate("ReportText", "视图 %1 第 %2 列：其公式超出了存储支持的公式，此列显示其项")
        .arg(view)
        .arg(column);
}
inline QString ColumnLeftEmpty(const QString& view, qsizetype column) {
    return QCoreApplication::translate("ReportText", "视图 %1 第 %2 列：其公式超出了存储支持的公式，此列留空")
        .arg(view)
        .arg(column);
}
inline QString NotUtf8(const QString& file, qint64 line, qint64 column) {
    return QCoreApplication::translate("ReportText", "%1:%2:%3：不是 UTF-8 的字节").arg(file).arg(line).arg(column);
}
inline QString NoDxlFiles() {
    return QCoreApplication::translate("ReportText", "没有要导入的 DXL 文件");
}
inline QString CannotCopy(const QString& file, const QString& cause) {
    return QCoreApplication::translate("ReportText", "无法复制 %1：%2").arg(file, cause);
}
inline QString NeitherDatabaseNorDxl(const QString& file) {
    return QCoreApplication::translate("ReportText", "%1：不是 Domino 数据库（开头的字节不是数据库的），也不是 DXL")
        .arg(file);
}
inline QString CannotReplace(const QString& file, const QString& cause) {
    return QCoreApplication::translate("ReportText", "无法替换 %1：%2").arg(file, cause);
}
inline QString FileMissing(const QString& file) {
    return QCoreApplication::translate("ReportText", "%1：文件不存在").arg(file);
}
inline QString CacheFolderNotMade(const QString& folder) {
    return QCoreApplication::translate("ReportText", "无法创建缓存文件夹 %1").arg(folder);
}
inline QString CacheNotLocked(const QString& entry) {
    return QCoreApplication::translate("ReportText", "无法锁定缓存项 %1").arg(entry);
}
inline QString CacheNotWritten(const QString& folder, const QString& reason) {
    return QCoreApplication::translate("ReportText", "无法写入缓存文件夹 %1：%2").arg(folder, reason);
}
inline QString NothingReadable(const QString& file, qint64 notes) {
    return QCoreApplication::translate("ReportText", "%1：其中可能是文档的 %2 个记录一个也不能读取")
        .arg(file)
        .arg(notes);
}
inline QString NotesListNotRead(const QString& file) {
    return QCoreApplication::translate("ReportText", "%1：其记录列表（RRV 表）未能读取，一个文档也没有读到").arg(file);
}
inline QString UnnamedView(const QString& name) {
    return QCoreApplication::translate("ReportText", "视图没有名称：以“%1”列出").arg(name);
}
inline QString OnlyDeletedDocuments(qint64 stubs) {
    return QCoreApplication::translate("ReportText", "其中没有文档：它的 %1 个文档都已删除（只留下删除标记）")
        .arg(stubs);
}
inline QString NoAttachmentOfThatName() {
    return QCoreApplication::translate("ReportText", "文档中没有这个名字的附件");
}
inline QString NoStoredIndex() {
    return QCoreApplication::translate("ReportText", "它没有保存的索引");
}
inline QString NoMemberList() {
    return QCoreApplication::translate("ReportText", "它没有成员列表");
}
inline QString NotBase64(const QString& place) {
    return QCoreApplication::translate("ReportText", "%1：不是 base64 的字符已丢弃").arg(place);
}
inline QString StorageParts(qsizetype count) {
    return QCoreApplication::translate("ReportText", "嵌入对象的 %1 个存储部分随对象保留，不作为附件").arg(count);
}

} // namespace importer::report_text
