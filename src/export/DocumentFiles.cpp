#include "export/DocumentFiles.h"

#include "access/ErrorMessage.h"
#include "export/RichTextPictures.h"
#include "export/SafePath.h"
#include "platform/WholeFile.h"

#include <QCoreApplication>
#include <QDir>

MissingCounts CountMissing(const std::vector<MissingFile>& missing) {
    MissingCounts counts;
    for (const MissingFile& entry : missing)
        ++(entry.cell ? counts.cells : counts.files);
    return counts;
}

const QString& DocumentFiles::folder() {
    if (m_folder.isEmpty())
        m_folder = QDir(m_parent).filePath(SafeFileName(m_documentId));
    return m_folder;
}

void DocumentFiles::add(const QString& name, Writer write) {
    m_names << name;
    m_writers.push_back(std::move(write));
}

void DocumentFiles::fail(const QString& name, const QString& reason) {
    m_missing.push_back({m_documentId, name, reason});
}

void DocumentFiles::failCell(const QString& field, const QString& reason) {
    m_missing.push_back({m_documentId, field, reason, true});
}

QString FolderFailedReason(const QString& cause) {
    return QCoreApplication::translate("Export", "无法创建文档的文件夹：") + cause;
}

void DocumentFiles::save() {
    if (m_names.isEmpty())
        return;
    QString folderFailed;
    try {
        MakeFolder(folder());
    } catch (const std::exception& error) {
        folderFailed = FolderFailedReason(ExceptionMessage(error));
    }
    const QStringList files = AssignFileNames(m_names, IsPictureFileName);
    const QDir dir(folder());
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!folderFailed.isEmpty()) {
            fail(m_names[i], folderFailed);
            continue;
        }
        try {
            if (m_writers[static_cast<size_t>(i)](dir.filePath(files[i])))
                ++m_written;
        } catch (const std::exception& error) {
            fail(m_names[i], ExceptionMessage(error));
        }
    }
    m_names.clear();
    m_writers.clear();
}

QString WriteMissingFileList(const QString& path, const std::vector<MissingFile>& missing) {
    QString text = QCoreApplication::translate("Export", "文档ID\t文件名\t原因") + QStringLiteral("\r\n");
    for (const MissingFile& file : missing) {
        QString reason = file.reason;
        reason.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        text += file.documentId + QLatin1Char('\t') +
                (file.cell ? QCoreApplication::translate("Export", "域：") : QString()) + file.fileName +
                QLatin1Char('\t') + reason + QStringLiteral("\r\n");
    }
    try {
        WriteThroughTemporary(path, "\xEF\xBB\xBF" + text.toUtf8());
    } catch (const std::exception& error) {
        return ExceptionMessage(error);
    }
    return {};
}
