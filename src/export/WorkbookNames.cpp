// The names of what an export writes: the workbook and its format, the attachment folder, the
// list of what was not saved, and the header columns' widths.
#include "export/ExportToExcel.h"

#include "export/SafePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString Ending(const WorkbookFormatInfo& info) {
    return QString::fromRawData(reinterpret_cast<const QChar*>(info.ending.data()),
                                static_cast<qsizetype>(info.ending.size()));
}

// The format whose ending fileName has (any letter case), or nothing.
const WorkbookFormatInfo* FormatEnding(const QString& fileName) {
    for (const WorkbookFormatInfo& info : kWorkbookFormats)
        if (fileName.endsWith(Ending(info), Qt::CaseInsensitive))
            return &info;
    return nullptr;
}

} // namespace

QString WorkbookPath(const QString& fileName, WorkbookFormat format) {
    if (FormatEnding(fileName))
        return fileName;
    return fileName + Ending(FormatInfo(format));
}

WorkbookFormat FormatOf(const QString& workbook) {
    const WorkbookFormatInfo* info = FormatEnding(workbook);
    return info ? info->format : WorkbookFormat::Xls;
}

// The save dialog's name of a format.
QString FilterName(WorkbookFormat format) {
    return format == WorkbookFormat::Xlsx ? QCoreApplication::translate("WorkbookFormat", "Excel 工作簿")
                                          : QCoreApplication::translate("WorkbookFormat", "Excel文件");
}

QString SaveDialogFilter() {
    QStringList entries;
    for (const WorkbookFormatInfo& info : kWorkbookFormats)
        entries << FilterName(info.format) + QStringLiteral("|*") + Ending(info);
    return entries.join(QLatin1Char('|'));
}

WorkbookFormat FilterFormat(int filter) {
    return filter >= 0 && filter < static_cast<int>(std::size(kWorkbookFormats)) ? kWorkbookFormats[filter].format
                                                                                 : WorkbookFormat::Xls;
}

QString TemporaryWorkbookPath(const QString& workbook) {
    return workbook + QStringLiteral(".partial") + Ending(FormatInfo(FormatOf(workbook)));
}

QString AttachmentFolder(const QString& workbook, const QString& viewName, FolderNaming naming) {
    return QDir(QFileInfo(workbook).absolutePath())
        .filePath(naming == FolderNaming::OneFolder ? SafeFileName(viewName) + QStringLiteral("附件")
                                                    : SafeRelativePath(viewName + QStringLiteral("附件")));
}

int32_t HeaderColumnWidth(const QString& name) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            ++i;
        bytes += name[i].unicode() < 0x80 ? 1 : 2;
    }
    return static_cast<int32_t>(std::min<qsizetype>(bytes + 10, 255));
}

QString MissingFileListPath(const QString& workbook) {
    const QFileInfo info(workbook);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("_未保存的文件.txt"));
}
