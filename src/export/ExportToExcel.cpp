#include "export/ExportToExcel.h"

#include "access/AppText.h"
#include "access/Domino_TLB.h"
#include "access/ErrorMessage.h"
#include "access/VariantText.h"
#include "export/FileQueue.h"
#include "export/RichTextPictures.h"
#include "export/SafePath.h"
#include "export/SheetLayout.h"
#include "interfaces/SpreadsheetAutomation.h"
#include "interfaces/Text.h"
#include "platform/Progress.h"
#include "platform/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

namespace {

constexpr qsizetype kMaxCellText = 32767; // characters a cell holds
constexpr qint64 kEventIntervalMs = 50;
constexpr int kCellsPerCheck = 64; // cells between two looks at the clock

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
             int32_t docCount, WorkbookFormat format)
        : m_context(context), m_app(app), m_workbook(std::move(workbook)), m_folder(std::move(folder)),
          m_docCount(docCount), m_format(format),
          m_exporting(
              QCoreApplication::translate("Export", "正在导出数据到%1...").arg(QFileInfo(m_workbook).fileName())) {
        m_events.start();
    }

    const QString& exportingText() const { return m_exporting; }

    // The files that could not be saved, in the order the export met them, once every file
    // queued is made.
    std::vector<MissingFile> takeMissing() {
        auto late = m_queue.finish();
        std::vector<MissingFile> missing;
        missing.reserve(m_missing.size() + late.size());
        auto next = late.begin();
        for (size_t i = 0; i <= m_missing.size(); ++i) {
            for (; next != late.end() && next->first <= i; ++next)
                missing.push_back(std::move(next->second));
            if (i < m_missing.size())
                missing.push_back(std::move(m_missing[i]));
        }
        m_missing.clear();
        return missing;
    }

    // The files written beside the workbook; call after takeMissing().
    qsizetype filesWritten() const { return m_written + m_queue.written(); }

    // Writes the documents from doc on, one row each; ends early when the view has fewer.
    void WriteDocuments(TNotesView& view, TNotesDocument& doc, const QStringList& header) {
        const SheetLayout layout(m_format, m_docCount, header.size());
        for (const QString& name : header)
            m_itemNames.push_back(name.toStdU16String());
        StartSheets(layout, header, 0);
        for (int32_t r = 0; r < m_docCount && doc.IsBound(); ++r) {
            const int32_t block = layout.rowBlock(r);
            if (r > 0 && block > layout.rowBlock(r - 1))
                StartSheets(layout, header, block);
            WriteDocument(doc, header, layout, r);
            doc.ConnectTo(view.GetNextDocument(doc.DefaultInterface()));
        }
    }

private:
    // What the fields of one document share: its pictures are written once, each embedded
    // object once, and an attachment that rich text shows is the attachment already written.
    struct DocumentFields {
        TNotesDocument& doc;
        DocumentFiles& files;
        bool picturesWritten = false;
        QSet<QString> objects;
        QSet<QString> attachments; // the names the attachment step wrote, case-folded
    };

    // The sheets of a block of documents, one per block of fields, each with its header row.
    void StartSheets(const SheetLayout& layout, const QStringList& header, int32_t rowBlock) {
        for (int32_t block = 0; block < layout.columnBlocks(); ++block) {
            if (rowBlock > 0 || block > 0)
                m_app.AddSheet();
            if (const QString name = layout.sheetName(rowBlock, block); !name.isEmpty())
                m_app.SetSheetName(name.toStdU16String());
            WriteHeader(header.mid(layout.firstField(block), layout.endField(block) - layout.firstField(block)));
        }
    }

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

    void WriteDocument(TNotesDocument& doc, const QStringList& header, const SheetLayout& layout, int32_t r) {
        const QString unid = QString::fromStdU16String(doc.UniversalID());
        const std::u16string unidText = unid.toStdU16String();
        const int32_t row = layout.row(r);
        const int32_t rowBlock = layout.rowBlock(r);
        if (layout.columnBlocks() > 1)
            m_app.ActivateSheet(layout.sheet(rowBlock, 0));
        m_app.SetCellValue(row, 1, unidText);
        DocumentFiles files(m_folder, unid, m_missing, m_written);
        DocumentFields fields{doc, files, false, {}, {}};
        if (doc.HasEmbedded())
            AddAttachments(fields);
        m_context.progress.SetWaitMsgText(m_exporting + QString::number(r + 1) + QLatin1Char('/') +
                                          QString::number(m_docCount));
        m_context.progress.SetWaitProgress(m_docCount, r + 1);

        bool counterShown = true;
        for (int32_t block = 0; block < layout.columnBlocks(); ++block) {
            if (block > 0) {
                m_app.ActivateSheet(layout.sheet(rowBlock, block));
                m_app.SetCellValue(row, 1, unidText);
            }
            for (int32_t c = layout.firstField(block); c < layout.endField(block); ++c) {
                const QString text = CellText(fields, header[c], m_itemNames[static_cast<size_t>(c)]);
                m_app.SetCellValue(row, c - layout.firstField(block) + 2,
                                   std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                       static_cast<size_t>(text.size())));
                // After the first cell the text loses the counter; the bar stays where it is.
                if (std::exchange(counterShown, false)) {
                    m_context.progress.SetWaitMsgText(m_exporting);
                    m_context.progress.SetWaitProgress(m_docCount, r + 1);
                }
                if (m_context.processEvents && ++m_cellsSinceCheck >= kCellsPerCheck) {
                    m_cellsSinceCheck = 0;
                    if (m_events.elapsed() >= kEventIntervalMs) {
                        m_context.processEvents();
                        m_events.restart();
                    }
                }
            }
        }
        files.save();
    }

    // The document's attachments, each name as often as the document holds a file of it.
    void AddAttachments(DocumentFields& fields) {
        TNotesDocument& doc = fields.doc;
        DocumentFiles& files = fields.files;
        QStringList names;
        try {
            names = VariantArrayToTexts(
                m_context.session.Evaluate(u"@AttachmentNames", Variant(Variant::Object(doc.DefaultInterface()))));
        } catch (const std::exception& error) {
            files.fail(QStringLiteral("@AttachmentNames"),
                       QCoreApplication::translate("Export", "读取附件名出错:") + ExceptionMessage(error));
            return;
        }
        QHash<QString, int32_t> seen; // occurrences of each name so far, case-folded as the server matches
        for (const QString& name : names) {
            if (name.isEmpty())
                continue; // the formula's answer for a document without attachments
            const int32_t n = ++seen[name.toCaseFolded()];
            fields.attachments.insert(name.toCaseFolded());
            files.add(name, [document = doc.DefaultInterface(), name, n](const QString& path) {
                TNotesDocument owner;
                owner.ConnectTo(document);
                TNotesEmbeddedObject attachment;
                attachment.ConnectTo(owner.GetNthAttachment(name.toStdU16String(), n));
                if (!attachment.IsBound())
                    throw std::runtime_error(
                        (n > 1 ? QCoreApplication::translate("Export", "服务器只给出同名附件中的第一个")
                               : QCoreApplication::translate("Export", "文档中没有这个名字的附件"))
                            .toStdString());
                WriteThroughTemporary(
                    path, [&](const QString& temporary) { attachment.ExtractFile(temporary.toStdU16String()); });
                return true;
            });
        }
    }

    // The cell of field name: cut to what a cell holds, the whole text going to a file.
    QString CellText(DocumentFields& fields, const QString& name, const std::u16string& itemName) {
        QString text = FieldText(fields, name, itemName);
        if (text.size() > kMaxCellText) {
            const QByteArray bytes = "\xEF\xBB\xBF" + text.toUtf8(); // marked UTF-8, so every editor reads it right
            const QString fileName = name + QStringLiteral(".txt");
            fields.files.add(fileName, [this, bytes, fileName, id = fields.files.documentId()](const QString& path) {
                m_queue.write(path, bytes, {id, fileName, {}}, m_missing.size());
                return false; // the queue counts it
            });
            text.truncate(text[kMaxCellText - 1].isHighSurrogate() ? kMaxCellText - 1 : kMaxCellText);
        }
        return text;
    }

    // The text of field name: for rich text its formatted text (its pictures and embedded
    // objects go to the document's folder), for other fields the texts of its values joined.
    // A field the document lacks gives an empty cell; one that cannot be read keeps the text read
    // so far and is listed.
    QString FieldText(DocumentFields& fields, const QString& name, const std::u16string& itemName) {
        QString text;
        try {
            TNotesItem item;
            item.ConnectTo(fields.doc.GetFirstItem(itemName));
            if (!item.IsBound())
                return text;
            if (item.Type() == item_type::kRichText) {
                TNotesRichTextItem rich;
                rich.ConnectToItem(fields.doc.GetFirstItem(itemName));
                // Every call gives the pictures of the whole document: once per document does.
                if (!fields.picturesWritten) {
                    fields.picturesWritten = true;
                    WritePictures(fields);
                }
                text = QString::fromStdU16String(rich.GetFormattedText(true, 80));
                AddEmbeddedObjects(rich, fields);
                return text; // its value is the same text again, unformatted
            }
            // Every value of a multi-valued field, joined as a view column shows them.
            text += JoinedValueText(fields.doc.GetItemValue(itemName), m_locale);
        } catch (const std::exception& error) {
            fields.files.failCell(name, ExceptionMessage(error));
        }
        return text;
    }

    // The document's folder, made even when it holds no picture, and its pictures; both are made
    // beside the reading.
    void WritePictures(DocumentFields& fields) {
        const QString& folder = fields.files.folder();
        m_queue.makeFolder(folder);
        const QDir dir(folder);
        const QString id = fields.files.documentId();
        ExtractRichTextPictures(
            m_context.session, fields.doc,
            [&](const QString& name, const QByteArray& bytes) {
                m_queue.write(dir.filePath(name), bytes, {id, name, {}}, m_missing.size());
            },
            [&fields](const QString& file, const QString& reason) { fields.files.fail(file, reason); });
    }

    // Whether an object of rich text is an attachment the attachment step writes: rich text
    // shows a document's attachments among its objects, and the same file is written once.
    static bool IsWrittenAttachment(const std::shared_ptr<IEmbeddedObject>& object, const QString& name,
                                    const DocumentFields& fields) {
        if (!object || !fields.attachments.contains(name.toCaseFolded()))
            return false;
        try {
            return object->Type() == embed_type::kAttachment;
        } catch (const std::exception&) {
            return false; // of a kind not known: written as an object of its own
        }
    }

    static void AddEmbeddedObjects(TNotesRichTextItem& rich, DocumentFields& fields) {
        QStringList names;
        try {
            const Variant objects = rich.EmbeddedObjects();
            if (objects.kind() == Variant::Kind::Empty)
                return; // a field without objects
            names = VariantArrayToTexts(objects);
        } catch (const std::exception& error) {
            fields.files.fail(QStringLiteral("EmbeddedObjects"),
                              QCoreApplication::translate("Export", "读取嵌入对象出错:") + ExceptionMessage(error));
            return;
        }
        for (const QString& name : names) {
            if (fields.objects.contains(name))
                continue;
            fields.objects.insert(name);
            std::shared_ptr<IEmbeddedObject> object;
            try {
                object = rich.GetEmbeddedObject(name.toStdU16String());
            } catch (const std::exception& error) {
                fields.files.fail(name, ExceptionMessage(error));
                continue;
            }
            if (IsWrittenAttachment(object, name, fields))
                continue;
            fields.files.add(name, [object](const QString& path) {
                TNotesEmbeddedObject file;
                file.ConnectTo(object);
                WriteThroughTemporary(path,
                                      [&](const QString& temporary) { file.ExtractFile(temporary.toStdU16String()); });
                return true;
            });
        }
    }

    const ExportContext& m_context;
    ISpreadsheetApplication& m_app;
    QString m_workbook;
    QString m_folder; // the attachment folder
    int32_t m_docCount;
    WorkbookFormat m_format;
    QString m_exporting;
    QElapsedTimer m_events;
    std::vector<MissingFile> m_missing;      // those met on this thread
    qsizetype m_written = 0;                 // files written on this thread
    FileQueue m_queue;                       // files from bytes at hand, made beside the reading
    std::vector<std::u16string> m_itemNames; // the header's names, as the server takes them
    int m_cellsSinceCheck = 0;
    const QLocale m_locale; // numbers and dates as the user writes them; made once, not per cell
};

} // namespace

namespace {

// The lines of the completion message after its first: how many files could not be saved and
// how many cells not read, and where their list is; empty when nothing is missing.
QString MissingLines(const QString& workbook, ExportResult& result, bool noFileWritten) {
    if (result.missing.empty())
        return {};
    const MissingCounts counts = CountMissing(result.missing);
    QStringList parts;
    if (counts.files > 0)
        parts << (noFileWritten ? QCoreApplication::translate("Export", "附件文档一个也未能保存（共%1个文件）")
                                : QCoreApplication::translate("Export", "有%1个文件未能保存"))
                     .arg(counts.files);
    if (counts.cells > 0)
        parts << QCoreApplication::translate("Export", "有%1个单元格的内容未能读取").arg(counts.cells);
    const QString list = MissingFileListPath(workbook);
    const QString error = WriteMissingFileList(list, result.missing);
    if (!error.isEmpty())
        return QCoreApplication::translate("Export", "\n%1，它们的清单也无法写入%2：%3")
            .arg(parts.join(QCoreApplication::translate("Export", "，")), QDir::toNativeSeparators(list), error);
    result.missingList = list;
    return QCoreApplication::translate("Export", "\n%1，清单见：%2")
        .arg(parts.join(QCoreApplication::translate("Export", "，")), QDir::toNativeSeparators(list));
}

// The part of a chosen name after its folder (either separator).
QString FileNamePart(const QString& fileName) {
    return fileName.mid(std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\'))) + 1);
}

} // namespace

ExportResult ExportToExcel(const ExportContext& context, const QString& fileName, const QString& viewName,
                           int32_t docCount, WorkbookFormat chosen, FolderNaming naming) {
    ExportResult result;
    // A dialog gives its folder with the name typed: a name of blanks is no name.
    if (TrimBlanks(FileNamePart(fileName).toStdU16String()).empty())
        return result;
    const QString workbook = WorkbookPath(fileName, chosen);
    const WorkbookFormat format = FormatOf(workbook);
    if (QFileInfo::exists(workbook)) {
        ShowMessage(context.prompter, workbook + app_text::FileExists());
        return result;
    }
    if (docCount == 0) {
        ShowMessage(context.prompter, app_text::NothingToExport());
        return result;
    }
    if (viewName.isEmpty())
        return result;
    const QString folder = AttachmentFolder(workbook, viewName, naming);

    std::unique_ptr<ISpreadsheetApplication> started;
    try {
        started = context.spreadsheet.CreateApplication(format);
        started->AddWorkbook();
    } catch (const std::exception&) {
        ShowMessage(context.prompter, app_text::NoSpreadsheet());
        return result;
    }
    RunningApplication app(std::move(started));
    WaitMsgScope closeProgress(context.progress);
    Exporter exporter(context, *app, workbook, folder, docCount, format);
    context.progress.ShowWaitMsg();
    context.progress.SetWaitMsgText(exporter.exportingText());
    context.progress.SetWaitProgress(docCount, 0);

    // An error path: the message while the progress window is up, then the workbook as far as
    // it was written is saved (a failing save is told too), the application quits.
    const auto fail = [&](const QString& prefix, const std::exception& error) {
        result.missing = exporter.takeMissing();
        ShowMessage(context.prompter, prefix + ExceptionMessage(error) + MissingLines(workbook, result, false));
        try {
            app->SaveActiveWorkbookAs(workbook.toStdU16String());
        } catch (const std::exception& saveError) {
            ShowMessage(context.prompter,
                        app_text::WorkbookNotSaved(QDir::toNativeSeparators(workbook), ExceptionMessage(saveError)));
        }
        return result;
    };

    TNotesView view;
    try {
        view.ConnectTo(context.database.GetView(viewName.toStdU16String()));
    } catch (const std::exception& error) {
        return fail(app_text::ViewError(), error);
    }
    TNotesDocument doc;
    try {
        doc.ConnectTo(view.GetNthDocument(1));
        const QStringList header = VariantArrayToTexts(doc.Items());
        exporter.WriteDocuments(view, doc, header);
    } catch (const std::exception& error) {
        return fail(app_text::DocumentError(), error);
    }
    try {
        app->SaveActiveWorkbookAs(workbook.toStdU16String());
    } catch (const std::exception& error) {
        ShowMessage(context.prompter,
                    app_text::WorkbookNotSaved(QDir::toNativeSeparators(workbook), ExceptionMessage(error)));
        result.missing = exporter.takeMissing();
        return result;
    }
    result.missing = exporter.takeMissing();
    app.Quit();
    context.progress.CloseWaitMsg();
    // The message names the attachment folder only when it holds what was written there.
    const bool noFileWritten = exporter.filesWritten() == 0 && CountMissing(result.missing).files > 0;
    const QString missingLines = MissingLines(workbook, result, noFileWritten);
    ShowMessage(context.prompter, (noFileWritten ? app_text::ExportDoneWorkbook() + QDir::toNativeSeparators(workbook)
                                                 : app_text::ExportDone() + QDir::toNativeSeparators(folder)) +
                                      missingLines);
    result.completed = true;
    return result;
}

void ExportEmptyView(ISpreadsheetAutomation& spreadsheet, const QString& workbook) {
    RunningApplication app(spreadsheet.CreateApplication(FormatOf(workbook)));
    app->AddWorkbook();
    app->SetColumnWidth(1, 40);
    app->SetCellValue(1, 1, u"文档ID");
    app->SaveActiveWorkbookAs(workbook.toStdU16String());
    app.Quit();
}
