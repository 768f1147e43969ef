// verdanix-export: the window's export from a terminal, for scripts and machines without a
// display. It runs the same export as the window (one code path) on the same back ends.
#include "access/AppText.h"
#include "access/Databases.h"
#include "access/Domino_TLB.h"
#include "access/ErrorMessage.h"
#include "access/VariantText.h"
#include "access/settings.h"
#include "assembly/BackEnds.h"
#include "assembly/DominoFiles.h"
#include "assembly/dominointerface.h"
#include "export/ExportToExcel.h"
#include "export/SafePath.h"
#include "interfaces/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Language.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/System.h"
#include "platform/WholeFile.h"

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
    kFilesMissing = 6,   // the workbooks are complete, but files beside them could not be saved
    kReadWithLosses = 7, // everything exported, but the database file was read with losses
    kInterrupted = 130,
};

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
}

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

QString HelpTail() {
    return QCoreApplication::translate(
        "verdanix-export",
        "\n"
        "退出状态：0 全部导出成功；1 有导出失败；2 参数有误（包括输出文件夹不存在或不能写入）；\n"
        "3 登录失败；4 数据库或视图不存在；5 输出文件已存在（见 --overwrite）；6 导出已完成，\n"
        "但有附件、嵌入对象、图片或长文本未能保存，或有单元格的内容未能读取（最后几行给出清单）；\n"
        "7 导出已完成，但 --file 给出的数据库文件有内容未能读取或已简化（读取文件时给出清单的位置）；\n"
        "130 被 Ctrl-C 中止。没有文档的视图导出为只有标题行的工作簿，不算失败。\n"
        "\n"
        "Ctrl-C 立即中止导出：正在写入的工作簿被删除（不留下写了一半的文件；使用 --overwrite 时\n"
        "原来的工作簿保持原样），已导出文档的附件文件夹保留，最后一行给出它们的位置。\n"
        "\n"
        "安装位置与窗口程序的找法相同（注册表，或设置文件夹中的 registry.reg）；也可以用\n"
        "--program-dir 指定。密码从 --password-file 读取；给出用户名而没有密码文件时，\n"
        "从标准输入的第一行读取。");
}

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
            const QString remaining = QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
            std::cerr << '\r' << m_label.toStdString() << " [" << std::string(filled, '#')
                      << std::string(30 - filled, '-') << "] " << position << '/' << maximum << ' '
                      << QCoreApplication::translate("verdanix-export", "%1 篇/秒，还剩 %2")
                             .arg(static_cast<int>(rate))
                             .arg(remaining)
                             .toStdString()
                      << "   " << std::flush;
            m_drawn = true;
        } else {
            const int tenth = static_cast<int>(10LL * position / maximum);
            if (tenth > m_lastTenth) {
                m_lastTenth = tenth;
                std::cerr << QCoreApplication::translate("verdanix-export", "%1：%2%（%3/%4 篇文档）")
                                 .arg(m_label)
                                 .arg(tenth * 10)
                                 .arg(position)
                                 .arg(maximum)
                                 .toStdString()
                          << '\n';
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
        const QString file = m_options.value("file").isEmpty()
                                 ? QString()
                                 : QDir::toNativeSeparators(QFileInfo(m_options.value("file")).absoluteFilePath());
        const QString databasePath = m_options.value("database");
        if (!listDatabases && file.isEmpty() && databasePath.isEmpty())
            return fail(kBadArguments,
                        QCoreApplication::translate("verdanix-export", "请指定数据库（--database）或文件（--file）"));
        if (!listDatabases && !listViews && views.isEmpty() && !allViews)
            return fail(kBadArguments,
                        QCoreApplication::translate("verdanix-export", "请指定视图（--view），或使用 --all-views"));
        if (m_options.isSet("format") && !NamedFormat(m_options.value("format")))
            return fail(
                kBadArguments,
                QCoreApplication::translate("verdanix-export", "--format 只能是以下之一：%1").arg(FormatNames()));
        if (!listDatabases && !listViews) {
            if (m_options.value("output").isEmpty())
                return fail(kBadArguments, QCoreApplication::translate("verdanix-export", "请指定输出（--output）"));
            if (const QString problem = outputProblem(views.size() > 1 || allViews); !problem.isEmpty())
                return fail(kBadArguments, problem);
        }

        // The registered installation, as the window finds it (the program's own where nothing is
        // installed: local files need no other), or the one named.
        std::unique_ptr<BackEnds> backEnds;
        try {
            backEnds = std::make_unique<BackEnds>(SettingsFolder(QCoreApplication::applicationDirPath()),
                                                  m_options.value("program-dir"));
        } catch (const std::exception& error) {
            return fail(kNotFound, ExceptionMessage(error));
        }
        if (!backEnds->ownInstallationProblem().isEmpty())
            return fail(kNotFound, backEnds->ownInstallationProblem());
        IComClassFactory* factory = &backEnds->comFactory();
        ISpreadsheetAutomation* spreadsheet = &backEnds->spreadsheet();
        const QString dataDir = GetDominoDataPath(backEnds->registry());
        TNotesSession session(*factory);
        const int loggedOn = logOn(session, file.isEmpty());
        if (loggedOn != kDone)
            return loggedOn;
        if (listDatabases)
            return this->listDatabases(m_options.isSet("data-dir") ? m_options.value("data-dir") : dataDir);

        bool readWithLosses = false;
        if (!file.isEmpty()) {
            // Read once into the local store's cache, which the open below then uses; what could
            // not be read is told when the file is read, and its status given on every run.
            try {
                const auto read = ReadDominoFileAhead(backEnds->registry(), file, [&] {
                    Print(QCoreApplication::translate("verdanix-export", "正在读取数据库文件 %1 ...").arg(file));
                });
                if (read && read->unread > 0 && read->readNow)
                    Print(app_text::DominoFileUnread(read->unread, read->report));
                readWithLosses = read && read->losses > 0;
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
        const int status = exportViews(session, database, *spreadsheet, allViews ? shown : views);
        return status == kDone && readWithLosses ? kReadWithLosses : status;
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
                return QCoreApplication::translate("verdanix-export", "无法创建输出文件夹：%1")
                    .arg(folder.absoluteFilePath());
            return {};
        }
        if (!folder.isDir())
            return QCoreApplication::translate("verdanix-export", "输出文件夹不存在：%1")
                .arg(folder.absoluteFilePath());
        if (!folder.isWritable())
            return QCoreApplication::translate("verdanix-export", "输出文件夹不能写入：%1")
                .arg(folder.absoluteFilePath());
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
                    return fail(
                        kBadArguments,
                        QCoreApplication::translate("verdanix-export", "无法读取密码文件 %1").arg(file.fileName()));
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
            return fail(kNotFound,
                        QCoreApplication::translate("verdanix-export", "没有数据文件夹（--data-dir）%1").arg(root));
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
            return fail(kBadArguments,
                        QCoreApplication::translate("verdanix-export", "无法创建输出文件夹：%1").arg(output));
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
        // An existing workbook is replaced only when the new one is complete.
        const QString target = exists ? TemporaryWorkbookPath(workbook) : workbook;
        QFile::remove(target);
        if (count == 0)
            return exportEmptyView(spreadsheet, view, workbook, target);
        TerminalPrompter prompter;
        TerminalProgress progress(m_options.isSet("quiet"), view);
        const ExportContext context{session, database, spreadsheet, progress, prompter, [] {
                                        if (g_interrupted)
                                            throw Interrupted();
                                    }};
        // The attachment folder is named as the workbook is: one folder, whatever the view's name.
        const ExportResult result =
            ExportToExcel(context, target, view, count, FormatOf(workbook), FolderNaming::OneFolder);
        if (g_interrupted) {
            QFile::remove(WorkbookPath(target));
            const QString folder = QDir::toNativeSeparators(AttachmentFolder(workbook, view, FolderNaming::OneFolder));
            Print((exists ? QCoreApplication::translate("verdanix-export",
                                                        "已中止：%1 保持原样（新的工作簿没有完成）；已写出的附件在 %2")
                          : QCoreApplication::translate("verdanix-export",
                                                        "已中止：未完成的 %1 已删除；已写出的附件在 %2"))
                      .arg(workbook, folder));
            return kInterrupted;
        }
        if (!result.completed) {
            QFile::remove(WorkbookPath(target)); // no half workbook
            if (exists && !result.missingList.isEmpty())
                QFile::remove(result.missingList); // named after the temporary workbook, which is gone
            return kFailed;
        }
        if (exists)
            if (const int status = putInPlace(WorkbookPath(target), workbook); status != kDone)
                return status;
        if (result.missing.empty())
            return kDone;
        QString list = result.missingList;
        // The list was named after the temporary workbook: it follows the workbook's name.
        if (!list.isEmpty() && list != MissingFileListPath(workbook) &&
            !MoveIntoPlace(FileSystemPath(list), FileSystemPath(MissingFileListPath(workbook))))
            list = MissingFileListPath(workbook);
        const MissingCounts counts = CountMissing(result.missing);
        return fail(kFilesMissing,
                    QCoreApplication::translate("verdanix-export",
                                                "有 %1 个文件未能保存，%2 个单元格的内容未能读取；清单见：%3")
                        .arg(counts.files)
                        .arg(counts.cells)
                        .arg(list.isEmpty() ? QCoreApplication::translate("verdanix-export", "（未能写入）")
                                            : QDir::toNativeSeparators(list)));
    }

    // The new workbook takes the old one's place in one step: there is always one of them.
    int putInPlace(const QString& written, const QString& workbook) {
        if (const std::error_code error = MoveIntoPlace(FileSystemPath(written), FileSystemPath(workbook))) {
            QFile::remove(written);
            return fail(kFailed, QCoreApplication::translate("verdanix-export", "无法替换 %1（它保持原样）：%2")
                                     .arg(workbook, QString::fromStdU16String(SystemErrorText(error))));
        }
        return kDone;
    }

    // A view without documents: a workbook of the header row alone, told as such.
    int exportEmptyView(ISpreadsheetAutomation& spreadsheet, const QString& view, const QString& workbook,
                        const QString& target) {
        try {
            ExportEmptyView(spreadsheet, target);
        } catch (const std::exception& error) {
            QFile::remove(target);
            return fail(kFailed,
                        app_text::WorkbookNotSaved(QDir::toNativeSeparators(workbook), ExceptionMessage(error)));
        }
        if (target != workbook)
            if (const int status = putInPlace(target, workbook); status != kDone)
                return status;
        Print(QCoreApplication::translate("verdanix-export", "视图“%1”没有文档：%2 只有标题行")
                  .arg(view, QDir::toNativeSeparators(workbook)));
        return kDone;
    }

    QCommandLineParser& m_options;
};

} // namespace

int main(int argc, char** argv) {
    platform::UseUtf8Console();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("verdanix-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VERDANIX_VERSION));
    UseChineseLocaleWhereNoneIsSet();
    const InterfaceLanguage language(
        CommandLineLanguage(app.arguments(), SettingsFilePath(SettingsFolder(QCoreApplication::applicationDirPath()))));
    QCommandLineParser options;
    options.setApplicationDescription(
        QCoreApplication::translate("verdanix-export",
                                    "把 Domino 数据库的视图导出为 .xls 或 .xlsx 工作簿，文档的附件、嵌入对象和 "
                                    "RTF 域图片保存在工作簿旁边的文件夹中，与 Verdanix 窗口程序的导出相同。") +
        HelpTail());
    options.addHelpOption();
    options.addVersionOption();
    options.addOptions({
        {"program-dir", QCoreApplication::translate("verdanix-export", "安装的程序文件夹（默认：已注册的那个）。"),
         "dir"},
        {"server", QCoreApplication::translate("verdanix-export", "服务器名。"), "name"},
        {"user", QCoreApplication::translate("verdanix-export", "登录用的用户名。"), "name"},
        {"password-file", QCoreApplication::translate("verdanix-export", "第一行为密码的文件（否则从标准输入读取）。"),
         "file"},
        {"file", QCoreApplication::translate("verdanix-export", "本地的 .nsf 文件，代替服务器上的数据库。"), "path"},
        {"database",
         QCoreApplication::translate("verdanix-export", "数据库在服务器数据文件夹中的路径（例如 mail\\a.nsf）。"),
         "path"},
        {"view", QCoreApplication::translate("verdanix-export", "要导出的视图；可以给出多次。"), "name"},
        {"all-views", QCoreApplication::translate("verdanix-export", "所有供浏览的视图（名称中没有“$”的视图）。")},
        {"output",
         QCoreApplication::translate("verdanix-export",
                                     "工作簿（一个视图时；以 .xlsx 结尾则写 .xlsx），或每个视图一个工作簿时的文件夹。"),
         "path"},
        {"format",
         QCoreApplication::translate("verdanix-export", "xls（默认）或 xlsx：名称中没有指明格式的工作簿的格式。"),
         "format"},
        {"overwrite", QCoreApplication::translate("verdanix-export", "替换已有的工作簿（在新的工作簿完成之后）。")},
        {"list-databases", QCoreApplication::translate("verdanix-export", "列出数据文件夹中的数据库，每行一个。")},
        {"data-dir",
         QCoreApplication::translate("verdanix-export", "--list-databases 使用的数据文件夹（默认：已注册的那个）。"),
         "dir"},
        {"list-views", QCoreApplication::translate("verdanix-export", "列出数据库的视图，每行一个。")},
        {"language",
         QCoreApplication::translate("verdanix-export",
                                     "界面语言：zh（中文，默认）或 en（英文）；默认取设置文件中的选择。"),
         "language"},
        {"quiet", QCoreApplication::translate("verdanix-export", "不在标准错误输出上显示进度。")},
    });
    if (!options.parse(app.arguments())) {
        Print(options.errorText());
        return kBadArguments;
    }
    if (options.isSet("language") && !LanguageNamed(options.value("language"))) {
        Print(QCoreApplication::translate("verdanix-export", "--language 只能是 zh 或 en"));
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
        Print(QCoreApplication::translate("verdanix-export", "多余的参数：%1")
                  .arg(options.positionalArguments().join(' ')));
        return kBadArguments;
    }
    std::signal(SIGINT, OnInterrupt);
    return ExportCommand(options).run();
}
