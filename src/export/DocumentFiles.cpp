#include "export/DocumentFiles.h"

#include "access/ErrorMessage.h"
#include "export/RichTextPictures.h"
#include "export/SafePath.h"

#include <QDir>
#include <QSaveFile>

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

void DocumentFiles::save() {
    if (m_names.isEmpty())
        return;
    // A folder that cannot be made shows in each file's own failure.
    QDir().mkpath(folder());
    const QStringList files = AssignFileNames(m_names, IsPictureFileName);
    const QDir dir(folder());
    for (qsizetype i = 0; i < files.size(); ++i) {
        try {
            m_writers[static_cast<size_t>(i)](dir.filePath(files[i]));
        } catch (const std::exception& error) {
            m_missing.push_back({m_documentId, m_names[i], ExceptionMessage(error)});
        }
    }
    m_names.clear();
    m_writers.clear();
}

QString WriteMissingFileList(const QString& path, const std::vector<MissingFile>& missing) {
    QString text = QStringLiteral("文档ID\t文件名\t原因\r\n");
    for (const MissingFile& file : missing) {
        QString reason = file.reason;
        reason.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        text +=
            file.documentId + QLatin1Char('\t') + file.fileName + QLatin1Char('\t') + reason + QStringLiteral("\r\n");
    }
    QSaveFile list(path);
    if (!list.open(QIODevice::WriteOnly) || list.write("\xEF\xBB\xBF" + text.toUtf8()) < 0 || !list.commit())
        return list.errorString();
    return {};
}
