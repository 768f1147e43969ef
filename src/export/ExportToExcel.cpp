#include "export/ExportToExcel.h"

#include "access/AppText.h"
#include "access/Domino_TLB.h"
#include "access/ErrorMessage.h"
#include "access/VariantText.h"
#include "export/RichTextPictures.h"
#include "export/SafePath.h"
#include "interfaces/SpreadsheetAutomation.h"
#include "interfaces/Text.h"
#include "platform/Progress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kDocumentError = QStringLiteral("连接文档出错:");
constexpr qsizetype kMaxCellText = 32767; // characters a cell holds
constexpr int32_t kRowsPerSheet = 65536;  // the header row and 65,535 documents
constexpr qint64 kEventIntervalMs = 50;

// The spreadsheet application of one export: quits once, on every way out.
class RunningApplication {
public:
    explicit RunningApplication(std::unique_ptr<ISpreadsheetApplication> app) : m_app(std::move(app)) {}
    ~RunningApplication() { Quit(); }
    RunningApplication(const RunningApplication&) = delete;
    RunningApplication& operator=(const RunningApplication&) = delete;

    ISpreadsheetApplication& operator*() const { return *m_app; }
    ISpreadsheetApplication* operator->() const { return m_app.get(); }
    void Quit() {
        if (m_quit)
            return;
        m_quit = true;
        try {
            m_app->Quit();
        } catch (const std::exception&) {
            // Nothing more to do with an application that will not quit.
        }
    }

private:
    std::unique_ptr<ISpreadsheetApplication> m_app;
    bool m_quit = false;
};

class Exporter {
public:
    Exporter(const ExportContext& context, ISpreadsheetApplication& app, QString workbook, QString folder,
             int32_t docCount)
        : m_context(context), m_app(app), m_workbook(std::move(workbook)), m_folder(std::move(folder)),
          m_docCount(docCount),
          m_exporting(QStringLiteral("正在导出数据到") + QFileInfo(m_workbook).fileName() + QStringLiteral("...")) {
        m_events.start();
    }

    const QString& exportingText() const { return m_exporting; }

    // The header row of the active sheet.
    void WriteHeader(const QStringList& header) {
        for (qsizetype i = 0; i < header.size(); ++i) {
            const auto column = static_cast<int32_t>(i + 2);
            m_app.SetColumnWidth(1, 40);
            m_app.SetColumnWidth(column, HeaderColumnWidth(header[i]));
            if (IsIntegerText(header[i]))
                m_app.SetCellNumberFormat(1, column, u"@");
            m_app.SetCellValue(1, column, header[i].toStdU16String());
            m_app.SetCellValue(1, 1, u"文档ID");
        }
    }

    // Writes the documents from doc on, one row each; ends early when the view has fewer.
    void WriteDocuments(TNotesView& view, TNotesDocument& doc, const QStringList& header) {
        int32_t sheet = 0;
        for (int32_t r = 0; r < m_docCount && doc.IsBound(); ++r) {
            // Each sheet holds the header row and kRowsPerSheet - 1 documents.
            if (r / (kRowsPerSheet - 1) > sheet) {
                m_app.AddSheet();
                WriteHeader(header);
                ++sheet;
            }
            const auto row = static_cast<int32_t>(r % (kRowsPerSheet - 1) + 2);
            WriteDocument(doc, header, row, r);
            doc.ConnectTo(view.GetNextDocument(doc.DefaultInterface()));
        }
    }

private:
    void WriteDocument(TNotesDocument& doc, const QStringList& header, int32_t row, int32_t r) {
        const QString unid = QString::fromStdU16String(doc.UniversalID());
        m_app.SetCellValue(row, 1, unid.toStdU16String());
        const QString folder = QDir(m_folder).filePath(SafeFileName(unid));
        static const QRegularExpression pictureName(QStringLiteral("^RTF域图片\\d+\\.(gif|jpg)$"),
                                                    QRegularExpression::CaseInsensitiveOption);
        FolderNames files([](const QString& name) { return pictureName.match(name).hasMatch(); });
        if (doc.HasEmbedded())
            WriteAttachments(doc, folder, files);
        m_context.progress.SetWaitMsgText(m_exporting + QString::number(r + 1) + QLatin1Char('/') +
                                          QString::number(m_docCount));
        m_context.progress.SetWaitProgress(m_docCount, r + 1);

        bool picturesWritten = false;
        for (qsizetype c = 0; c < header.size(); ++c) {
            QString text = FieldText(doc, header[c], folder, files, picturesWritten);
            if (text.size() > kMaxCellText) {
                // The cell holds what fits; the whole text goes to a file beside the attachments.
                WriteTextFile(folder, files.fileFor(header[c] + QStringLiteral(".txt")), text);
                text.truncate(text[kMaxCellText - 1].isHighSurrogate() ? kMaxCellText - 1 : kMaxCellText);
            }
            m_app.SetCellValue(row, static_cast<int32_t>(c + 2), text.toStdU16String());
            m_context.progress.SetWaitMsgText(m_exporting);
            m_context.progress.SetWaitProgress(m_docCount, r + 1);
            if (m_context.processEvents && m_events.elapsed() >= kEventIntervalMs) {
                m_context.processEvents();
                m_events.restart();
            }
        }
    }

    void WriteAttachments(TNotesDocument& doc, const QString& folder, FolderNames& files) {
        QDir().mkpath(folder);
        try {
            const Variant names =
                m_context.session.Evaluate(u"@AttachmentNames", Variant(Variant::Object(doc.DefaultInterface())));
            for (const QString& name : VariantArrayToTexts(names)) {
                TNotesEmbeddedObject attachment;
                attachment.ConnectTo(doc.GetAttachment(name.toStdU16String()));
                attachment.ExtractFile(QDir(folder).filePath(files.fileFor(name)).toStdU16String());
            }
        } catch (const std::exception&) {
            // The document's remaining attachments are skipped; the export goes on.
        }
    }

    // The text of field name: for rich text its formatted text (its pictures and embedded
    // objects written to folder), then the text of the field's first value.
    QString FieldText(TNotesDocument& doc, const QString& name, const QString& folder, FolderNames& files,
                      bool& picturesWritten) {
        QString text;
        const std::u16string itemName = name.toStdU16String();
        try {
            TNotesItem item;
            item.ConnectTo(doc.GetFirstItem(itemName));
            if (item.Type() == item_type::kRichText) {
                TNotesRichTextItem rich;
                rich.ConnectToItem(doc.GetFirstItem(itemName));
                // Every call writes the pictures of the whole document: once per document does.
                if (!picturesWritten) {
                    ExtractRichTextPictures(m_context.session, doc, folder);
                    picturesWritten = true;
                }
                text = QString::fromStdU16String(rich.GetFormattedText(true, 80));
                QSet<QString> written;
                for (const QString& objectName : VariantArrayToTexts(rich.EmbeddedObjects())) {
                    if (written.contains(objectName))
                        continue;
                    written.insert(objectName);
                    TNotesEmbeddedObject object;
                    object.ConnectTo(rich.GetEmbeddedObject(objectName.toStdU16String()));
                    object.ExtractFile(QDir(folder).filePath(files.fileFor(objectName)).toStdU16String());
                }
            }
        } catch (const std::exception&) {
            // The text keeps what it held.
        }
        try {
            const Variant values = doc.GetItemValue(itemName);
            text += VariantToText(values.asArray().at(0));
        } catch (const std::exception&) {
            // A value that cannot be read or converted adds nothing.
        }
        return text;
    }

    static void WriteTextFile(const QString& folder, const QString& fileName, const QString& text) {
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath(fileName));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write("\xEF\xBB\xBF" + text.toUtf8()); // marked UTF-8, so every editor reads it right
    }

    const ExportContext& m_context;
    ISpreadsheetApplication& m_app;
    QString m_workbook;
    QString m_folder; // the attachment folder
    int32_t m_docCount;
    QString m_exporting;
    QElapsedTimer m_events;
};

} // namespace

QString WorkbookPath(const QString& fileName) {
    if (fileName.size() >= 4 && fileName.right(4).toUpper() == QLatin1String(".XLS"))
        return fileName;
    return fileName + QStringLiteral(".xls");
}

QString AttachmentFolder(const QString& workbook, const QString& viewName) {
    return QDir(QFileInfo(workbook).absolutePath()).filePath(SafeRelativePath(viewName + QStringLiteral("附件")));
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

bool ExportToExcel(const ExportContext& context, const QString& fileName, const QString& viewName, int32_t docCount) {
    if (TrimBlanks(fileName.toStdU16String()).empty())
        return false;
    const QString workbook = WorkbookPath(fileName);
    if (QFileInfo::exists(workbook)) {
        ShowMessage(context.prompter, workbook + QStringLiteral("文件已存在!"));
        return false;
    }
    if (docCount == 0) {
        ShowMessage(context.prompter, QStringLiteral("当前没有可导出的内容"));
        return false;
    }
    if (viewName.isEmpty())
        return false;
    const QString folder = AttachmentFolder(workbook, viewName);

    std::unique_ptr<ISpreadsheetApplication> started;
    try {
        started = context.spreadsheet.CreateApplication();
        started->AddWorkbook();
    } catch (const std::exception&) {
        ShowMessage(context.prompter, QStringLiteral("请确认您电脑上是否安装了EXCEL！"));
        return false;
    }
    RunningApplication app(std::move(started));
    WaitMsgScope closeProgress(context.progress);
    Exporter exporter(context, *app, workbook, folder, docCount);
    context.progress.ShowWaitMsg();
    context.progress.SetWaitMsgText(exporter.exportingText());
    context.progress.SetWaitProgress(docCount, 0);

    // An error path: the message while the progress window is up, then the workbook as far as
    // it was written is saved (a failing save is told too), the application quits.
    const auto fail = [&](const QString& prefix, const std::exception& error) {
        ShowMessage(context.prompter, prefix + ExceptionMessage(error));
        try {
            app->SaveActiveWorkbookAs(workbook.toStdU16String());
        } catch (const std::exception& saveError) {
            ShowMessage(context.prompter, kDocumentError + ExceptionMessage(saveError));
        }
    };

    TNotesView view;
    try {
        view.ConnectTo(context.database.GetView(viewName.toStdU16String()));
    } catch (const std::exception& error) {
        fail(QStringLiteral("连接视图出错:"), error);
        return false;
    }
    TNotesDocument doc;
    QStringList header;
    try {
        doc.ConnectTo(view.GetNthDocument(1));
        header = VariantArrayToTexts(doc.Items());
        exporter.WriteHeader(header);
        exporter.WriteDocuments(view, doc, header);
    } catch (const std::exception& error) {
        fail(kDocumentError, error);
        return false;
    }
    try {
        app->SaveActiveWorkbookAs(workbook.toStdU16String());
    } catch (const std::exception& error) {
        ShowMessage(context.prompter, kDocumentError + ExceptionMessage(error));
        return false;
    }
    app.Quit();
    context.progress.CloseWaitMsg();
    ShowMessage(context.prompter,
                QStringLiteral("您好，数据导出完成，导出的附件文档存放在Excel文件的同一目录下，文件夹名为：") +
                    QDir::toNativeSeparators(folder));
    return true;
}
