// verdanix-export: the window's export from a terminal, for scripts and machines without a
// display. It runs the same export as the window (one code path) on the same back ends.
#include "access/AppText.h"
#include "access/Databases.h"
#include "access/Domino_TLB.h"
#include "access/ErrorMessage.h"
#include "access/VariantText.h"
#include "assembly/BackEnds.h"
#include "assembly/DominoFiles.h"
#include "assembly/dominointerface.h"
#include "export/ExportToExcel.h"
#include "export/SafePath.h"
#include "import/NsfCache.h"
#include "interfaces/FileSystem.h"
#include "platform/ComClassFactory.h"
#include "platform/Folders.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"
#include "store/LocalStore.h"
#include "xls/XlsSpreadsheetAutomation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <iostream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// Exit statuses, as the help text lists them.
enum Status {
    kDone = 0,
    kFailed = 1, // an export failed
    kBadArguments = 2,
    kLogOnFailed = 3,
    kNotFound = 4, // the database or a view
    kOutputExists = 5,
    kFilesMissing = 6, // the workbooks are complete, but files beside them could not be saved
    kInterrupted = 130,
};

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
}

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

const char* kHelpTail = R"(
Exit status: 0 every export succeeded; 1 an export failed; 2 bad arguments (a missing or
unwritable output folder among them); 3 the log-on failed; 4 the database or a view does not
exist; 5 an output file exists (see --overwrite); 6 the exports completed but some attachments,
objects, pictures or long texts could not be saved, or some cells could not be read (the last
lines name the list of them); 130 stopped by Ctrl-C.

Ctrl-C stops the export at once: the workbook being written is removed (nothing half written
stays; with --overwrite the earlier workbook stays as it was), the attachment folders of the
documents already exported are kept and the last line names them.

The installation is found as the window finds it (the registry, or registry.reg in the settings
folder); --program-dir names one instead. Passwords are read from --password-file or, when a
user is given without one, from the first line of standard input.)";

void Print(const QString& line) {
    std::cerr << line.toStdString() << '\n';
}

// Messages of the export go to standard error, one line each; a failure is remembered.
class TerminalPrompter : public IPrompter {
public:
    QStringList messages;
    Answer MessageBox(const QString&, const QString& text, Icon, Buttons) override {
        messages << text;
        if (!g_interrupted)
            Print(text);
        return Answer::Ok;
    }
    std::optional<QString> OpenFileName(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> SaveFileName(const QString&, const QString&, int*) override { return std::nullopt; }
};

// Progress on standard error: a bar redrawn in place on a terminal, else a line per tenth.
class TerminalProgress : public IProgress {
public:
    TerminalProgress(bool quiet, QString label) : m_quiet(quiet), m_label(std::move(label)) {
#ifndef _WIN32
        m_terminal = isatty(STDERR_FILENO) != 0;
#endif
    }

    void ShowWaitMsg() override {
        m_open = true;
        m_clock.start();
    }
    void ShowWaitMsgText(const QString&) override {
        ShowWaitMsg();
    }
    void SetWaitMsgText(const QString&) override {}
    void SetWaitProgress(int32_t maximum, int32_t position) override {
        if (!m_open || m_quiet || maximum <= 0)
            return;
        if (m_terminal) {
            if (position < maximum && m_lastDraw.isValid() && m_lastDraw.elapsed() < 100)
                return;
            m_lastDraw.start();
            const double seconds = std::max(0.001, m_clock.elapsed() / 1000.0);
            const double rate = position / seconds;
            const int left = rate > 0 ? static_cast<int>((maximum - position) / rate) : 0;
            const int filled = static_cast<int>(30.0 * position / maximum);
            std::cerr << '\r' << m_label.toStdString() << " [" << std::string(filled, '#')
                      << std::string(30 - filled, '-') << "] " << position << '/' << maximum << ' '
                      << static_cast<int>(rate) << " docs/s, " << left / 60 << ':' << (left % 60 < 10 ? "0" : "")
                      << left % 60 << " left   " << std::flush;
            m_drawn = true;
        } else {
            const int tenth = static_cast<int>(10LL * position / maximum);
            if (tenth > m_lastTenth) {
                m_lastTenth = tenth;
                std::cerr << m_label.toStdString() << ": " << tenth * 10 << "% (" << position << '/' << maximum
                          << " documents)\n";
            }
        }
    }
    void CloseWaitMsg() override {
        if (m_drawn)
            std::cerr << '\n';
        m_drawn = false;
        m_open = false;
    }
    bool IsWaitMsgOpen() const override {
        return m_open;
    }

private:
    bool m_quiet;
    QString m_label;
    bool m_terminal = false;
    bool m_open = false;
    bool m_drawn = false;
    int m_lastTenth = 0;
    QElapsedTimer m_clock, m_lastDraw;
};

// The format the command line names (any letter case), or nothing.
std::optional<WorkbookFormat> NamedFormat(const QString& name) {
    for (const WorkbookFormatInfo& info : kWorkbookFormats)
        if (name.compare(QLatin1String(info.name.data(), static_cast<qsizetype>(info.name.size())),
                         Qt::CaseInsensitive) == 0)
            return info.format;
    return std::nullopt;
}

QString FormatNames() {
    QStringList names;
    for (const WorkbookFormatInfo& info : kWorkbookFormats)
        names << QLatin1String(info.name.data(), static_cast<qsizetype>(info.name.size()));
    return names.join(QStringLiteral(", "));
}

class ExportCommand {
public:
    explicit ExportCommand(QCommandLineParser& options) : m_options(options) {}

    int run() {
        const QStringList views = m_options.values("view");
        const bool allViews = m_options.isSet("all-views");
        const bool listDatabases = m_options.isSet("list-databases");
        const bool listViews = m_options.isSet("list-views");
        // A local file is named from where the command runs, not from the data folder.
        const QString file =
            m_options.value("file").isEmpty() ? QString() : QFileInfo(m_options.value("file")).absoluteFilePath();
        const QString databasePath = m_options.value("database");
        if (!listDatabases && file.isEmpty() && databasePath.isEmpty())
            return fail(kBadArguments, QStringLiteral("name a database (--database) or a file (--file)"));
        if (!listDatabases && !listViews && views.isEmpty() && !allViews)
            return fail(kBadArguments, QStringLiteral("name a view (--view) or ask for --all-views"));
        if (m_options.isSet("format") && !NamedFormat(m_options.value("format")))
            return fail(kBadArguments, QStringLiteral("--format is one of: ") + FormatNames());
        if (!listDatabases && !listViews) {
            if (m_options.value("output").isEmpty())
                return fail(kBadArguments, QStringLiteral("name the output (--output)"));
            if (const QString problem = outputProblem(views.size() > 1 || allViews); !problem.isEmpty())
                return fail(kBadArguments, problem);
        }

        // The registered installation, as the window finds it, or the one named.
        std::unique_ptr<BackEnds> backEnds;
        MemoryRegistry namedRegistry;
        PortableComClassFactory namedFactory(namedRegistry);
        XlsSpreadsheetAutomation writer;
        IComClassFactory* factory = &namedFactory;
        ISpreadsheetAutomation* spreadsheet = &writer;
        QString dataDir;
        if (m_options.isSet("program-dir")) {
            const QString programDir = m_options.value("program-dir");
            store::RegisterLocalStore(namedFactory, importer::DominoDatabaseReader());
            namedRegistry.CreateKey(IComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
                ->WriteString(u"", ComponentFilePath(programDir).toStdU16String());
            try {
                dataDir =
                    QString::fromStdU16String(store::ReadInstallation(programDir.toStdU16String()).dataDir.u16string());
            } catch (const std::exception& error) {
                return fail(kNotFound, ExceptionMessage(error));
            }
        } else {
            backEnds = std::make_unique<BackEnds>(SettingsFolder(QCoreApplication::applicationDirPath()));
            factory = &backEnds->comFactory();
            spreadsheet = &backEnds->spreadsheet();
            dataDir = GetDominoDataPath(backEnds->registry());
        }
        TNotesSession session(*factory);
        const int loggedOn = logOn(session, file.isEmpty());
        if (loggedOn != kDone)
            return loggedOn;
        if (listDatabases)
            return this->listDatabases(m_options.isSet("data-dir") ? m_options.value("data-dir") : dataDir);

        if (!file.isEmpty() && IsDominoDatabaseFile(file)) {
            // Read once into the local store's cache, which the open below then uses.
            std::cerr << "reading the Domino database file " << file.toStdString() << " ...\n";
            try {
                const DominoFileRead read = ReadDominoFile(file);
                if (read.unread > 0)
                    std::cerr << read.unread << " things in the file were not read or were simplified; their list: "
                              << read.report.toStdString() << "\n";
            } catch (const std::exception& error) {
                return fail(kNotFound, app_text::DatabaseError() + ExceptionMessage(error) + QLatin1Char(' ') + file);
            }
        }
        TNotesDatabase database;
        try {
            database.ConnectTo(OpenDatabase(session, file.isEmpty() ? m_options.value("server") : QString(),
                                            file.isEmpty() ? databasePath : file)
                                   ->DefaultInterface());
        } catch (const std::exception& error) {
            return fail(kNotFound, app_text::DatabaseError() + ExceptionMessage(error) + QLatin1Char(' ') +
                                       (file.isEmpty() ? databasePath : file));
        }
        QStringList shown;
        try {
            shown = ShownViewNames(database);
        } catch (const std::exception& error) {
            return fail(kNotFound, app_text::ReadError() + ExceptionMessage(error));
        }
        if (listViews) {
            for (const QString& name : shown)
                std::cout << name.toStdString() << '\n';
            return kDone;
        }
        return exportViews(session, database, *spreadsheet, allViews ? shown : views);
    }

private:
    // Why the workbooks cannot go where --output says, checked before anything is written; empty
    // when they can. Several workbooks go into the output folder, which is made when its parent
    // can take it; one workbook goes into an existing folder, or beside it when it names a file.
    QString outputProblem(bool several) const {
        const QFileInfo output(m_options.value("output"));
        const QFileInfo folder(several || output.isDir() ? output.absoluteFilePath() : output.absolutePath());
        if (several && !folder.exists()) {
            const QFileInfo parent(folder.absolutePath());
            if (!parent.isDir() || !parent.isWritable())
                return QStringLiteral("the output folder cannot be made: ") + folder.absoluteFilePath();
            return {};
        }
        if (!folder.isDir())
            return QStringLiteral("the output folder does not exist: ") + folder.absoluteFilePath();
        if (!folder.isWritable())
            return QStringLiteral("the output folder cannot be written: ") + folder.absoluteFilePath();
        return {};
    }

    int fail(int status, const QString& message) {
        Print(message);
        return status;
    }

    int logOn(TNotesSession& session, bool server) {
        try {
            if (!server || m_options.value("user").isEmpty()) {
                session.Initialize(u"");
                return kDone;
            }
            QString password;
            if (m_options.isSet("password-file")) {
                QFile file(m_options.value("password-file"));
                if (!file.open(QIODevice::ReadOnly))
                    return fail(kBadArguments, QStringLiteral("cannot read the password file ") + file.fileName());
                password = QString::fromUtf8(file.readLine()).trimmed();
            } else {
                QTextStream in(stdin);
                password = in.readLine();
            }
            session.InitializeUsingNotesUserName(m_options.value("user").toStdU16String(), password.toStdU16String());
            return kDone;
        } catch (const std::exception& error) {
            // The window shows the bare message; here the reason follows it.
            return fail(kLogOnFailed, app_text::ConnectFailed() + QLatin1Char(' ') + m_options.value("server") +
                                          QStringLiteral(": ") + ExceptionMessage(error));
        }
    }

    int listDatabases(const QString& root) {
        if (root.isEmpty() || !QFileInfo(root).isDir())
            return fail(kNotFound, QStringLiteral("no data folder (--data-dir) ") + root);
        // The files the tree opens as databases (".nsf" in any letter case).
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        QStringList databases;
        while (it.hasNext()) {
            const QString file = it.next();
            if (IsDatabaseNodeText(it.fileName()))
                databases << QDir(root).relativeFilePath(file);
        }
        databases.sort();
        for (const QString& path : databases)
            std::cout << QDir::toNativeSeparators(path).toStdString() << '\n';
        return kDone;
    }

    int exportViews(TNotesSession& session, TNotesDatabase& database, ISpreadsheetAutomation& spreadsheet,
                    const QStringList& views) {
        const QString output = m_options.value("output");
        const bool several = views.size() > 1 || m_options.isSet("all-views");
        if (several && !QDir().mkpath(output))
            return fail(kBadArguments, QStringLiteral("the output folder cannot be made: ") + output);
        // Several workbooks, or one for an existing folder, go into the folder, named after the view.
        const bool intoFolder = several || QFileInfo(output).isDir();
        // The format: --format, else the ending of a workbook's name, else .xls.
        const WorkbookFormat format = NamedFormat(m_options.value("format")).value_or(WorkbookFormat::Xls);
        int status = kDone;
        for (const QString& view : views) {
            const QString workbook =
                WorkbookPath(intoFolder ? QDir(output).filePath(SafeFileName(view)) : output, format);
            const int result = exportView(session, database, spreadsheet, view, workbook);
            if (result == kInterrupted)
                return result;
            // A failure outweighs missing files, which outweigh success.
            if (status == kDone || (status == kFilesMissing && result != kDone))
                status = result;
        }
        return status;
    }

    int exportView(TNotesSession& session, TNotesDatabase& database, ISpreadsheetAutomation& spreadsheet,
                   const QString& view, const QString& workbook) {
        int32_t count = 0;
        try {
            TNotesView listed;
            listed.ConnectTo(database.GetView(view.toStdU16String()));
            count = listed.EntryCount();
        } catch (const std::exception& error) {
            return fail(kNotFound, app_text::ViewError() + ExceptionMessage(error));
        }
        const bool exists = QFileInfo::exists(workbook);
        if (exists && !m_options.isSet("overwrite"))
            return fail(kOutputExists, workbook + app_text::FileExists());
        if (count == 0)
            return fail(kFailed, app_text::NothingToExport() + QLatin1Char(' ') + view);
        // An existing workbook is replaced only when the new one is complete.
        const QString target = exists ? TemporaryWorkbookPath(workbook) : workbook;
        QFile::remove(target);
        TerminalPrompter prompter;
        TerminalProgress progress(m_options.isSet("quiet"), view);
        const ExportContext context{session, database, spreadsheet, progress, prompter, [] {
                                        if (g_interrupted)
                                            throw Interrupted();
                                    }};
        const ExportResult result = ExportToExcel(context, target, view, count, FormatOf(workbook));
        if (g_interrupted) {
            QFile::remove(WorkbookPath(target));
            const QString folder = QDir::toNativeSeparators(AttachmentFolder(workbook, view));
            Print(exists ? QStringLiteral("stopped: %1 was kept as it was (the new workbook was not finished); "
                                          "attachments written so far are in %2")
                               .arg(workbook, folder)
                         : QStringLiteral("stopped: the unfinished %1 was removed; attachments written so far are "
                                          "in %2")
                               .arg(workbook, folder));
            return kInterrupted;
        }
        if (!result.completed) {
            QFile::remove(WorkbookPath(target)); // no half workbook
            if (exists && !result.missingList.isEmpty())
                QFile::remove(result.missingList); // named after the temporary workbook, which is gone
            return kFailed;
        }
        // The new workbook takes the old one's place in one step: there is always one of them.
        if (exists) {
            if (const std::error_code error =
                    ReplaceFile(FileSystemPath(WorkbookPath(target)), FileSystemPath(workbook))) {
                QFile::remove(WorkbookPath(target));
                return fail(kFailed, QStringLiteral("cannot replace %1 (it was kept as it was): %2")
                                         .arg(workbook, QString::fromStdU16String(SystemErrorText(error))));
            }
        }
        if (result.missing.empty())
            return kDone;
        QString list = result.missingList;
        // The list was named after the temporary workbook: it follows the workbook's name.
        if (!list.isEmpty() && list != MissingFileListPath(workbook) &&
            !ReplaceFile(FileSystemPath(list), FileSystemPath(MissingFileListPath(workbook))))
            list = MissingFileListPath(workbook);
        const MissingCounts counts = CountMissing(result.missing);
        return fail(kFilesMissing, QStringLiteral("%1 files could not be saved and %2 cells could not be read; "
                                                  "their list: %3")
                                       .arg(counts.files)
                                       .arg(counts.cells)
                                       .arg(list.isEmpty() ? QStringLiteral("(could not be written)")
                                                           : QDir::toNativeSeparators(list)));
    }

    QCommandLineParser& m_options;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("verdanix-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VERDANIX_VERSION));
    UseChineseLocaleWhereNoneIsSet();
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Exports views of a Domino database to .xls or .xlsx workbooks, with the attachments, embedded "
                       "objects and rich-text pictures of their documents in folders beside them, as the "
                       "Verdanix window does.") +
        QString::fromUtf8(kHelpTail));
    options.addHelpOption();
    options.addVersionOption();
    options.addOptions({
        {"program-dir", "The installation's program folder (default: the registered one).", "dir"},
        {"server", "The server's name.", "name"},
        {"user", "The user name to log on with.", "name"},
        {"password-file", "A file whose first line is the password (else standard input).", "file"},
        {"file", "A local .nsf file instead of a database on the server.", "path"},
        {"database", "The database's path in the server's data folder (such as mail\\a.nsf).", "path"},
        {"view", "A view to export; may be given several times.", "name"},
        {"all-views", "Every view people browse (no \"$\" in the name)."},
        {"output", "The workbook (one view; .xlsx at its end writes .xlsx) or the folder for one workbook per view.",
         "path"},
        {"format", "xls (the default) or xlsx: the format of workbooks whose names do not say it.", "format"},
        {"overwrite", "Replace existing workbooks (once the new one is complete)."},
        {"list-databases", "Print the databases of the data folder, one per line."},
        {"data-dir", "The data folder for --list-databases (default: the registered one).", "dir"},
        {"list-views", "Print the database's views, one per line."},
        {"quiet", "No progress on standard error."},
    });
    if (!options.parse(app.arguments())) {
        Print(options.errorText());
        return kBadArguments;
    }
    if (options.isSet("help")) {
        std::cout << options.helpText().toStdString();
        return kDone;
    }
    if (options.isSet("version")) {
        std::cout << "verdanix-export " << VERDANIX_VERSION << '\n';
        return kDone;
    }
    if (!options.positionalArguments().isEmpty()) {
        Print(QStringLiteral("unexpected arguments: ") + options.positionalArguments().join(' '));
        return kBadArguments;
    }
    std::signal(SIGINT, OnInterrupt);
    return ExportCommand(options).run();
}
