// Speed of the export, end to end, on the local store and the workbook writer:
//  - a view of 20,000 documents with 10 fields, a rich-text field with a picture in every tenth
//    document and an attachment in every fifth;
//  - a plain view of 100,000 documents with 10 fields (over two sheets).
// For each: documents and cells per second, and the share of the time spent in the store (reading
// the documents and fields), the writer (cells into the workbook and saving it), the file system
// (attachments and pictures) and the rest (the export's own work and the interfaces between).
// The shares come from timing each part alone on the same data. Peak memory is printed last.
#include "access/Domino_TLB.h"
#include "access/VariantText.h"
#include "export/ExportToExcel.h"
#include "export/RichTextPictures.h"
#include "interfaces/SpreadsheetAutomation.h"
#include "platform/PortableComClassFactory.h"
#include "platform/ProfileFile.h"
#include "platform/PortableRegistry.h"
#include "store/Build.h"
#include "store/DatabaseWriter.h"
#include "store/LocalStore.h"
#include "store/RichText.h"
#include "xls/Workbook.h"
#include "xls/XlsSpreadsheetAutomation.h"

#include "support/RecordingProgress.h"
#include "support/RecordingPrompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace store::build;

namespace {

constexpr int kFields = 10;

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Bytes(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed)) & 0xFF);
    return bytes;
}

void MakeDatabase(const fs::path& file, int documents, bool extras) {
    auto writer = store::DatabaseWriter::Create(file, u"Bench");
    writer->addView(View(u"All", u"", u"SELECT @All", {Column(u"F0", u"F0")}));
    for (int i = 0; i < documents; ++i) {
        std::vector<store::ItemData> items;
        for (int f = 0; f < kFields - (extras ? 1 : 0); ++f) {
            const auto text = std::to_string(i * 10 + f);
            items.push_back(f % 3 == 2 ? NumberItem(u"F" + std::u16string(1, char16_t(u'0' + f)), {double(i + f)})
                                       : TextItem(u"F" + std::u16string(1, char16_t(u'0' + f)),
                                                  {u"值" + std::u16string(text.begin(), text.end())}));
        }
        store::NoteData note = Note(u"Doc", std::move(items));
        if (extras) {
            store::RichTextBuilder body;
            body.addParagraph(u"正文 text of the document");
            if (i % 10 == 0)
                body.addPicture("gif", Bytes(6000, i), 80, 60);
            note.items.push_back(RichItem(u"Body", body.fragment()));
            if (i % 5 == 0)
                note.files.push_back(FileObject(u"附件.txt", Bytes(2000, i)));
        }
        writer->addNote(std::move(note));
    }
    writer->commit();
}

// Records what the export writes: the cells as they come (their texts in one buffer, so that
// the record weighs little beside the export it measures), and the sheets they go to.
struct CapturedCell {
    uint32_t sheet, row, column, offset, length;
};
struct Captured {
    std::vector<CapturedCell> cells;
    std::u16string texts;
    uint32_t sheets = 1;

    std::u16string_view text(const CapturedCell& cell) const {
        return std::u16string_view(texts).substr(cell.offset, cell.length);
    }
};

class CapturedWorkbook : public ISpreadsheetApplication {
public:
    explicit CapturedWorkbook(Captured& into) : m_into(into) {}

    void AddWorkbook() override {}
    void AddSheet() override { m_active = m_into.sheets++; }
    void ActivateSheet(int32_t index) override { m_active = static_cast<uint32_t>(index - 1); }
    void SetSheetName(const std::u16string&) override {}
    void SetColumnWidth(int32_t, int32_t) override {}
    void SetCellNumberFormat(int32_t, int32_t, const std::u16string&) override {}
    void SetCellValue(int32_t row, int32_t column, std::u16string_view text) override {
        m_into.cells.push_back({m_active, static_cast<uint32_t>(row - 1), static_cast<uint32_t>(column - 1),
                                static_cast<uint32_t>(m_into.texts.size()), static_cast<uint32_t>(text.size())});
        m_into.texts.append(text);
    }
    void SaveActiveWorkbookAs(const std::u16string&) override {}
    void Quit() override {}

private:
    Captured& m_into;
    uint32_t m_active = 0;
};

class CapturingAutomation : public ISpreadsheetAutomation {
public:
    Captured captured;
    std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat) override {
        return std::make_unique<CapturedWorkbook>(captured);
    }
};

// The workbook writer alone, on the cells an export wrote, saved to file.
double WriterAlone(const Captured& captured, const fs::path& file) {
    return Seconds([&] {
        xls::Workbook book;
        for (uint32_t i = 1; i < captured.sheets; ++i)
            book.addSheet();
        uint32_t active = captured.sheets - 1;
        for (const auto& cell : captured.cells) {
            if (cell.sheet != active)
                book.setActiveSheet(active = cell.sheet);
            book.setText(cell.row, cell.column, captured.text(cell));
        }
        book.save(file);
    });
}

// Reads every document and field of the view "All" as the export reads them.
void ReadAsTheExportDoes(TNotesDatabase& db) {
    TNotesView view;
    view.ConnectTo(db.GetView(u"All"));
    TNotesDocument doc;
    doc.ConnectTo(view.GetNthDocument(1));
    const QStringList header = VariantArrayToTexts(doc.Items());
    for (; doc.IsBound(); doc.ConnectTo(view.GetNextDocument(doc.DefaultInterface()))) {
        doc.UniversalID();
        doc.HasEmbedded();
        for (const QString& name : header) {
            TNotesItem item;
            item.ConnectTo(doc.GetFirstItem(name.toStdU16String()));
            if (item.IsBound() && item.Type() == item_type::kRichText) {
                TNotesRichTextItem rich;
                rich.ConnectToItem(doc.GetFirstItem(name.toStdU16String()));
                rich.GetFormattedText(true, 80);
                rich.EmbeddedObjects();
            }
            doc.GetItemValue(name.toStdU16String());
        }
    }
}

struct Bench {
    fs::path root;
    double commandLinePeakMb = 0; // the plain export's, as a process of its own
    MemoryRegistry registry;
    PortableComClassFactory factory{registry};
    TNotesSession session{factory};

    explicit Bench(const fs::path& dir) : root(dir) {
        fs::create_directories(root / "program");
        fs::create_directories(root / "data");
        ProfileFile(QString::fromStdU16String((root / "program" / "notes.ini").u16string()))
            .WriteString("Notes", "Directory", QString::fromStdU16String((root / "data").u16string()));
        PortableComClassFactory::WriteComponentFile(root / "program" / "nlsxbe.dll", store::kComponentKind);
        registry.CreateKey(IComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
            ->WriteString(u"", (root / "program" / "nlsxbe.dll").u16string());
        store::RegisterLocalStore(factory);
        session.Initialize(u"");
    }

    // The store alone on the plain view, three times over (for profiling).
    void RunStore(int documents) {
        MakeDatabase(root / "data" / "store.nsf", documents, false);
        TNotesDatabase db;
        db.ConnectTo(session.GetDatabase(u"", u"store.nsf", false));
        // A second thread has run, as in the export: the allocator and the reference counts then
        // take their locks and atomic steps, which a single-threaded process is spared.
        std::thread([] {}).join();
        for (int i = 0; i < 3; ++i) {
            const double seconds = Seconds([&] { ReadAsTheExportDoes(db); });
            std::printf("store_alone_cells_per_second %.0f\n", documents * (kFields + 2) / seconds);
        }
    }

    void Run(const char* label, const char* file, int documents, bool extras) {
        MakeDatabase(root / "data" / file, documents, extras);
        TNotesDatabase db;
        db.ConnectTo(session.GetDatabase(u"", fs::path(file).u16string(), false));
        // The cells the export really writes (the header row, each document's ID and fields), and
        // the writer alone on those very cells.
        CapturingAutomation capture;
        {
            RecordingProgress progress;
            RecordingPrompter prompter;
            ExportToExcel({session, db, capture, progress, prompter, {}},
                          QString::fromStdU16String((root / "captured").u16string()), "All", documents);
        }
        const auto cells = static_cast<double>(capture.captured.cells.size());
        const double writerAlone = WriterAlone(capture.captured, root / (std::string(label) + ".writer.xls"));
        capture.captured = {}; // given back before the export, whose peak memory is measured

        // The whole export.
        XlsSpreadsheetAutomation xls;
        RecordingProgress progress;
        RecordingPrompter prompter;
        const QString out = QString::fromStdU16String((root / (std::string(label) + ".xls")).u16string());
        const double total = Seconds([&] {
            ExportToExcel({session, db, xls, progress, prompter, {}}, out, "All", documents);
        });
        if (prompter.messages.size() != 1 || !prompter.messages[0].text.startsWith(QStringLiteral("您好")))
            std::fprintf(stderr, "export failed: %s\n", qPrintable(prompter.texts().join('|')));

        // The store alone: every document and field read as the export reads them.
        const double store = Seconds([&] { ReadAsTheExportDoes(db); });

        // The file system alone: the attachments and pictures written again.
        const QString files = QString::fromStdU16String((root / "files").u16string());
        const double fileSystem = Seconds([&] {
            TNotesView view;
            view.ConnectTo(db.GetView(u"All"));
            TNotesDocument doc;
            doc.ConnectTo(view.GetNthDocument(1));
            for (int i = 0; doc.IsBound(); ++i, doc.ConnectTo(view.GetNextDocument(doc.DefaultInterface()))) {
                if (!extras || !doc.HasEmbedded())
                    continue;
                const QString folder = files + QStringLiteral("/%1").arg(i);
                QDir().mkpath(folder);
                TNotesEmbeddedObject attachment;
                attachment.ConnectTo(doc.GetAttachment(u"附件.txt"));
                if (attachment.IsBound())
                    attachment.ExtractFile((folder + QStringLiteral("/附件.txt")).toStdU16String());
                if (i % 10 == 0)
                    ExtractRichTextPictures(session, doc, [&](const QString& name, const QByteArray& bytes) {
                        QFile file(folder + QLatin1Char('/') + name);
                        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                            std::fprintf(stderr, "picture not written: %s\n", qPrintable(file.fileName()));
                    });
            }
        });

        std::printf("%s_documents %d\n", label, documents);
        std::printf("%s_cells %.0f\n", label, cells);
        std::printf("%s_docs_per_second %.0f\n", label, documents / total);
        std::printf("%s_cells_per_second %.0f%s\n", label, cells / total, extras ? " (goal >= 350000)" : "");
        std::printf("%s_export_seconds %.3f\n", label, total);
        std::printf("%s_writer_alone_seconds %.3f\n", label, writerAlone);
        std::printf("%s_export_to_writer_alone_ratio %.2f%s\n", label, total / writerAlone,
                    extras ? "" : " (goal <= 2)");
        std::printf("%s_store_alone_cells_per_second %.0f%s\n", label, cells / store,
                    extras ? "" : " (goal >= 3500000)");
        std::printf("%s_share_store %.2f\n", label, store / total);
        std::printf("%s_share_writer %.2f\n", label, writerAlone / total);
        std::printf("%s_share_file_system %.2f\n", label, fileSystem / total);
        std::printf("%s_share_rest %.2f\n", label, std::max(0.0, 1 - (store + writerAlone + fileSystem) / total));
        if (extras)
            return;
        // The same export from the command line, as a process. GNU time starts it and tells its
        // peak memory: a child forked from this benchmark would count the benchmark's own pages
        // (the databases it made) as its own until it runs the command.
        const QString peakFile = QString::fromStdU16String((root / "command_line_peak_kb").u16string());
        QStringList arguments = {"--program-dir", QString::fromStdU16String((root / "program").u16string()),
                                 "--database",    QString::fromStdString(file),
                                 "--view",        "All",
                                 "--output",      out + ".cli.xls",
                                 "--quiet"};
        const bool timed = QFile::exists(QStringLiteral("/usr/bin/time"));
        if (timed)
            arguments = QStringList{"-f", "%M", "-o", peakFile, VERDANIX_EXPORT} + arguments;
        QProcess command;
        const double cli = Seconds([&] {
            command.start(timed ? QStringLiteral("/usr/bin/time") : QStringLiteral(VERDANIX_EXPORT), arguments);
            command.waitForFinished(-1);
        });
        if (command.exitCode() != 0)
            std::fprintf(stderr, "verdanix-export failed: %s\n", command.readAllStandardError().constData());
        std::printf("%s_command_line_cells_per_second %.0f\n", label, cells / cli);
        std::printf("%s_command_line_to_window_time_ratio %.2f\n", label, cli / total);
        QFile peak(peakFile);
        if (timed && peak.open(QIODevice::ReadOnly))
            commandLinePeakMb = peak.readAll().trimmed().toDouble() / 1024.0;
        // The same export into .xlsx.
        const QString xlsxOut = QString::fromStdU16String((root / (std::string(label) + ".xlsx")).u16string());
        const double xlsx = Seconds([&] {
            ExportToExcel({session, db, xls, progress, prompter, {}}, xlsxOut, "All", documents, WorkbookFormat::Xlsx);
        });
        std::printf("%s_xlsx_cells_per_second %.0f\n", label, cells / xlsx);
        std::printf("%s_xlsx_to_xls_export_time_ratio %.2f (goal <= 1.3)\n", label, xlsx / total);
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    // VERDANIX_BENCH_DIR keeps the databases and workbooks in a folder of one's choosing, for
    // profiling the command line's export on its own afterwards.
    const QString kept = qEnvironmentVariable("VERDANIX_BENCH_DIR");
    Bench bench(fs::path((kept.isEmpty() ? dir.path() : kept).toStdU16String()));
    std::printf("export: a view of 20,000 documents with rich text, pictures and attachments; a plain view of "
                "100,000 documents (targets: 500,000 and 1,000,000 cells per second)\n");
    // An argument ("rich" or "plain") runs that export alone, for profiling; "store" reads the plain
    // view as the export does, and nothing else.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only.isEmpty() || only == QLatin1String("rich"))
        bench.Run("rich_20000", "rich.nsf", 20000, true);
    if (only == QLatin1String("store"))
        bench.RunStore(100000);
    if (only.isEmpty() || only == QLatin1String("plain"))
        bench.Run("plain_100000", "plain.nsf", 100000, false);
    if (bench.commandLinePeakMb > 0)
        std::printf("export_peak_memory_mb %.1f (goal <= 100; the plain export as a process of its own)\n",
                    bench.commandLinePeakMb);
    else if (only.isEmpty() || only == QLatin1String("plain"))
        std::printf("export_peak_memory_mb unknown (GNU time, /usr/bin/time, is missing)\n");
    // This process holds besides the exports the databases it made and the cells it captured.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("benchmark_process_peak_memory_mb %.1f\n", usage.ru_maxrss / 1024.0);
    return 0;
}
