// verdanix-export run as a process on local store databases, without a display.
#include "support/Files.h"
#include "support/RecordingProgress.h"
#include "support/RecordingPrompter.h"
#include "support/StoreInstallation.h"

#include "access/Domino_TLB.h"
#include "export/ExportToExcel.h"
#include "platform/PortableRegistry.h"
#include "store/Build.h"
#include "xls/XlsSpreadsheetAutomation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using namespace store::build;

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

struct ExportCommand : ::testing::Test {
    StoreInstallation install;
    QTemporaryDir out;

    void SetUp() override {
        std::vector<store::NoteData> notes;
        for (int i = 0; i < 30; ++i)
            notes.push_back(Note(u"M", {TextItem(u"Subject", {u"主题"}), NumberItem(u"N", {double(i)})}));
        install.MakeDatabase("db.nsf",
                             {View(u"按主题", u"", u"SELECT @All", {Column(u"Subject", u"Subject")}),
                              View(u"Second\\Level", u"", u"SELECT @All"), View(u"($Hidden)", u"", u"SELECT @All"),
                              View(u"Empty", u"", u"SELECT @False")},
                             std::move(notes));
    }

    QTemporaryDir config; // the user's configuration and cache folder, where the cache of Domino files goes

    QProcess* Start(QStringList arguments, QProcess& process) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("XDG_CACHE_HOME", config.path());
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(env);
        process.start(VERDANIX_EXPORT, QStringList{"--program-dir", install.programDir} + arguments);
        return &process;
    }
    Outcome Exec(const QStringList& arguments, const QByteArray& input = {}, const QString& workingDir = {}) {
        QProcess process;
        process.setWorkingDirectory(workingDir);
        Start(arguments, process);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    static QByteArray Workbook(const QString& path) {
        QProcess reader;
        reader.start("/usr/bin/python3", {VERDANIX_READ_XLS, path});
        reader.waitForFinished(60000);
        return reader.readAllStandardOutput();
    }
};

} // namespace

TEST_F(ExportCommand, WritesWhatTheWindowWrites) {
    const Outcome run = Exec({"--database", "db.nsf", "--view", "按主题", "--output", out.filePath("cli")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    // The window's export of the same view, in this process.
    MemoryRegistry registry;
    PortableComClassFactory factory(registry);
    store::RegisterLocalStore(factory);
    install.Register(registry);
    TNotesSession session(factory);
    session.Initialize(u"");
    TNotesDatabase database;
    database.ConnectTo(session.GetDatabase(u"", u"db.nsf", false));
    XlsSpreadsheetAutomation xls;
    RecordingProgress progress;
    RecordingPrompter prompter;
    ASSERT_TRUE(ExportToExcel({session, database, xls, progress, prompter, {}}, out.filePath("window"), "按主题", 30)
                    .completed);
    const QByteArray cli = Workbook(out.filePath("cli.xls"));
    EXPECT_FALSE(cli.isEmpty());
    EXPECT_EQ(cli, Workbook(out.filePath("window.xls")));
}

TEST_F(ExportCommand, ListsAndSeveralViews) {
    Outcome run = Exec({"--database", "db.nsf", "--list-views"});
    EXPECT_EQ(run.out, "按主题\nSecond\\Level\nEmpty\n");
    run = Exec({"--list-databases"});
    EXPECT_EQ(run.out, "db.nsf\nnames.nsf\n");
    run = Exec({"--database", "db.nsf", "--all-views", "--output", out.filePath("all"), "--quiet"});
    EXPECT_EQ(run.status, 0) << "an empty view is no failure";
    EXPECT_TRUE(run.err.contains("视图“Empty”没有文档")) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath("all/Empty.xls"))) << "its header row only";
    EXPECT_TRUE(QFile::exists(out.filePath("all/按主题.xls")));
    EXPECT_TRUE(QFile::exists(out.filePath("all/Second_Level.xls")));
    EXPECT_FALSE(run.err.contains("%")) << "--quiet";
}

TEST_F(ExportCommand, EachFailureHasItsStatusAndMessage) {
    EXPECT_EQ(Exec({"--view", "x"}).status, 2);
    EXPECT_EQ(Exec({"--database", "db.nsf", "--view", "按主题", "--output", "o", "stray"}).status, 2);
    const Outcome logOn =
        Exec({"--server", "Test01/Org", "--user", "wangfang", "--database", "db.nsf", "--list-views"}, "wrong\n");
    EXPECT_EQ(logOn.status, 3);
    EXPECT_TRUE(logOn.err.startsWith("连接服务器失败!"));
    EXPECT_TRUE(logOn.err.contains("密码错误")) << "the reason follows";
    EXPECT_EQ(Exec({"--server", "Test01/Org", "--user", "wangfang", "--database", "db.nsf", "--list-views"}, "s3cret\n")
                  .status,
              0);
    const Outcome missing = Exec({"--database", "none.nsf", "--list-views"});
    EXPECT_EQ(missing.status, 4);
    EXPECT_TRUE(missing.err.startsWith("访问数据库出错：文件不存在")) << missing.err.toStdString();
    const Outcome noView = Exec({"--database", "db.nsf", "--view", "没有这个视图", "--output", out.filePath("n")});
    EXPECT_EQ(noView.status, 4);
    EXPECT_EQ(noView.err.trimmed(), "连接视图出错:找不到视图：没有这个视图") << "in Chinese, the view named once";

    QFile existing(out.filePath("there.xls"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    const Outcome exists = Exec({"--database", "db.nsf", "--view", "按主题", "--output", out.filePath("there.xls")});
    EXPECT_EQ(exists.status, 5);
    EXPECT_EQ(exists.err.trimmed(), out.filePath("there.xls") + "文件已存在!");
    EXPECT_EQ(
        Exec({"--database", "db.nsf", "--view", "按主题", "--output", out.filePath("there.xls"), "--overwrite"}).status,
        0);
    EXPECT_GT(QFileInfo(out.filePath("there.xls")).size(), 3);
}

TEST_F(ExportCommand, OutputFoldersRelativeFilesAndMissingFiles) {
    store::NoteData note = Note(u"M", {TextItem(u"A", {u"a"})});
    note.files = {FileObject(u"a.txt", "A")};
    const auto unids = install.MakeDatabase(out.filePath("local.nsf"), {View(u"V", u"", u"SELECT @All")}, {note});
    const QStringList local = {"--file", "local.nsf", "--view", "V", "--quiet", "--output"};

    // Chinese unless English is asked for, the help as well.
    const Outcome missingFolder = Exec(local + QStringList{out.filePath("no/such/book")}, {}, out.path());
    EXPECT_EQ(missingFolder.status, 2);
    EXPECT_TRUE(missingFolder.err.contains("输出文件夹不存在")) << missingFolder.err.toStdString();
    const Outcome inEnglish =
        Exec(local + QStringList{out.filePath("no/such/book"), "--language", "en"}, {}, out.path());
    EXPECT_TRUE(inEnglish.err.contains("the output folder does not exist")) << inEnglish.err.toStdString();
    EXPECT_TRUE(Exec({"--language=en", "--help"}).out.contains("Exit status: 0 every export succeeded"));
    EXPECT_TRUE(Exec({"--help"}).out.contains("退出状态：0 全部导出成功"));
    EXPECT_EQ(Exec({"--language", "fr", "--help"}).status, 2);
    EXPECT_FALSE(QFile::exists(out.filePath("no"))) << "nothing is written";

    QDir().mkpath(out.filePath("dir"));
    const Outcome intoFolder = Exec(local + QStringList{out.filePath("dir")}, {}, out.path());
    EXPECT_EQ(intoFolder.status, 0) << "a relative --file is found from where the command runs: "
                                    << intoFolder.err.toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath("dir/V.xls"))) << "an existing folder takes the workbook";

    EXPECT_EQ(Exec(local + QStringList{out.filePath("dir/new.xlsx")}, {}, out.path()).status, 0);
    QFile xlsx(out.filePath("dir/new.xlsx"));
    ASSERT_TRUE(xlsx.open(QIODevice::ReadOnly));
    EXPECT_TRUE(xlsx.read(2) == "PK") << "an .xlsx name writes an .xlsx workbook";
    EXPECT_EQ(Exec(local + QStringList{out.filePath("dir"), "--format", "ods"}, {}, out.path()).status, 2);

    // A plain file stands where the document's folder must go: the workbook is complete, the
    // attachment is missing, and the status says so.
    QDir().mkpath(out.filePath("blocked/V附件"));
    QFile stand(out.filePath("blocked/V附件/" + QString::fromStdU16String(unids[0])));
    ASSERT_TRUE(stand.open(QIODevice::WriteOnly));
    stand.close();
    const Outcome blocked = Exec(local + QStringList{out.filePath("blocked/book")}, {}, out.path());
    EXPECT_EQ(blocked.status, 6);
    EXPECT_TRUE(blocked.err.contains(out.filePath("blocked/book_未保存的文件.txt"))) << blocked.err.toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath("blocked/book.xls")));
    // In English the messages and the list's lines, not the names of the files.
    const Outcome english =
        Exec(local + QStringList{out.filePath("blocked/book"), "--overwrite", "--language", "en"}, {}, out.path());
    EXPECT_TRUE(english.err.contains("files not saved: 1, cells not read: 0; their list: " +
                                     out.filePath("blocked/book_未保存的文件.txt")))
        << english.err.toStdString();
    QFile list(out.filePath("blocked/book_未保存的文件.txt"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().startsWith("\xEF\xBB\xBF"
                                          "Document ID\tFile name\tReason\r\n"));
}

TEST_F(ExportCommand, CtrlCRemovesTheWorkbookAndNamesTheFolder) {
    std::vector<store::NoteData> notes;
    for (int i = 0; i < 40000; ++i)
        notes.push_back(Note(u"M", {TextItem(u"A", {u"a"}), TextItem(u"B", {u"b"}), TextItem(u"C", {u"c"})}));
    install.MakeDatabase("big.nsf", {View(u"All", u"", u"SELECT @All")}, std::move(notes));
    QProcess process;
    Start({"--database", "big.nsf", "--view", "All", "--output", out.filePath("big")}, process);
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("10%") && process.waitForReadyRead(30000))
        err += process.readAllStandardError();
    ASSERT_TRUE(err.contains("10%")) << "the export is under way";
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    process.waitForFinished(30000);
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_FALSE(QFile::exists(out.filePath("big.xls")));
    EXPECT_TRUE(QString::fromUtf8(err).contains("All附件")) << err.toStdString();
}

TEST_F(ExportCommand, ADominoDatabaseFileExportsThroughTheCache) {
    const QString sample = QStringLiteral(VERDANIX_NSF_SAMPLES "/sample.nsf");
    if (!QFile::exists(sample))
        GTEST_SKIP() << "the .nsf samples are not beside the project";
    const QStringList arguments = {"--file",  sample,        "--view",   "All",
                                   "--quiet", "--overwrite", "--output", out.filePath("all.xls")};
    // Its signatures have no value in the store: read with losses, on every run.
    const Outcome first = Exec(arguments);
    ASSERT_EQ(first.status, 7) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains("未能读取或已简化")) << first.err.toStdString();
    const QByteArray book = Workbook(out.filePath("all.xls"));
    EXPECT_TRUE(book.contains("Wang Jun Tao")) << book.toStdString();
    const Outcome again = Exec(arguments);
    EXPECT_EQ(again.status, 7);
    EXPECT_FALSE(again.err.contains("正在读取数据库文件")) << "not read again, so not said again";
    EXPECT_EQ(QDir(config.filePath("verdanix/nsf-cache")).entryList({"*.nsf"}).size(), 1) << "read once";
    // A view lists its own documents: the four students, read back with xlrd.
    const Outcome students =
        Exec({"--file", sample, "--view", "By Role\\Student", "--quiet", "--output", out.filePath("students.xls")});
    ASSERT_EQ(students.status, 7) << students.err.toStdString();
    const QJsonArray sheets = QJsonDocument::fromJson(Workbook(out.filePath("students.xls"))).array();
    ASSERT_EQ(sheets.size(), 1);
    const QJsonArray rows = sheets[0].toObject()["rows"].toArray();
    ASSERT_EQ(rows.size(), 5) << "the header and four documents";
    EXPECT_EQ(rows[0].toArray()[0].toString(), "文档ID");
    for (int r = 1; r < 5; ++r)
        EXPECT_TRUE(rows[r].toArray().contains(QJsonValue("Student"))) << r;
}

// A local file needs no installation: a copy of the program with nothing registered beside it
// reads it with its own, kept in its settings folder.
TEST_F(ExportCommand, ADominoDatabaseFileNeedsNoInstallation) {
    const QString sample = QStringLiteral(VERDANIX_NSF_SAMPLES "/knowndt.nsf");
    if (!QFile::exists(sample))
        GTEST_SKIP() << "the .nsf samples are not beside the project";
    const QString lonely = out.filePath("bin/verdanix-export");
    ASSERT_TRUE(QDir().mkpath(out.filePath("bin")));
    ASSERT_TRUE(QFile::copy(VERDANIX_EXPORT, lonely));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    // A cache kept in the configuration folder before is moved to the cache folder.
    QTemporaryDir cache;
    env.insert("XDG_CACHE_HOME", cache.path());
    ASSERT_TRUE(QDir().mkpath(config.filePath("verdanix/nsf-cache")));
    WriteAll(config.filePath("verdanix/nsf-cache/kept.txt"), "kept");
    process.setProcessEnvironment(env);
    process.start(lonely, {"--file", sample, "--all-views", "--quiet", "--output", out.filePath("known")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(out.filePath("known/All.xls")));
    EXPECT_TRUE(QFile::exists(out.filePath("bin/own-installation/program/notes.ini")));
    EXPECT_EQ(ReadBytes(cache.filePath("verdanix/nsf-cache/kept.txt")), "kept");
    EXPECT_FALSE(QFile::exists(config.filePath("verdanix/nsf-cache")));
    // It has no server: a server's database fails as for one that does not answer.
    WriteAll(out.filePath("pw"), "pw\n");
    process.start(lonely, {"--server", "S1", "--user", "u", "--password-file", out.filePath("pw"), "--database",
                           "names.nsf", "--all-views", "--output", out.filePath("names")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains("连接服务器失败")) << "no server";
}
