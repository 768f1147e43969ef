// Browsing through the main window on a local store: views in the tree, pages of documents and
// the paging buttons, the open-file command, document details.
#include "support/ConnectDialog.h"
#include "support/MainWindowFixture.h"
#include "support/OleError.h"
#include "support/RecordingProgress.h"
#include "support/StoreInstallation.h"

#include "access/Databases.h"
#include "access/Domino_TLB.h"
#include "access/VariantText.h"
#include "browse/DocumentPage.h"
#include "browse/docDetail.h"
#include "import/NsfCache.h"
#include "platform/FileLock.h"
#include "shell/ListView.h"
#include "store/Build.h"
#include "store/DatabaseWriter.h"
#include "store/LocalStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QProcess>
#include <QTableWidget>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace store::build;

namespace {

// Notes of form Doc, numbered 1..count in the item N (the view's sort key).
std::vector<store::NoteData> Numbered(int count) {
    std::vector<store::NoteData> notes;
    for (int i = 1; i <= count; ++i)
        notes.push_back(Note(u"Doc", {NumberItem(u"N", {double(i)}), TextItem(u"Name", {u"文档"})}));
    return notes;
}

struct Browsing : ::testing::Test {
    StoreInstallation install{"CN=Test01/O=Org"};
    MainWindowFixture fx;
    std::unique_ptr<TfrmMain> main;
    QTreeWidget* tree = nullptr;
    ListView* list = nullptr;

    void SetUp() override {
        store::RegisterLocalStore(fx.factory, importer::DominoDatabaseReader());
        install.Register(fx.registry);
        MakeDb("a.nsf",
               {View(u"Numbers", u"", u"SELECT @All", {Column(u"N", u"N", store::sort_order::kAscending)}),
                View(u"($All)", u"", u"SELECT @All"), View(u"  ", u"", u"SELECT @All"),
                View(u"Bare", u"", u"SELECT @All"), View(u"Tags", u"", u"SELECT @All", {Column(u"T", u"T")})},
               Numbered(4001));
        MakeDb("sub/hidden.nsf", {View(u"($Only)", u"", u"SELECT @All")}, {});
        MakeDb("items.nsf", {View(u"V", u"", u"SELECT @All", {})},
               {Note(u"Memo", {TextItem(u"Subject", {u"你好"}), NumberItem(u"Count", {3, 1250.5}),
                               DateItem(u"When", {45000.5}), TextItem(u"Names", {u"", u"乙", u"丙"}, 1074)})});
        main = fx.CreateMain();
        main->resize(846, 524);
        main->FormShow();
        tree = main->findChild<QTreeWidget*>("TreeView1");
        list = main->findChild<ListView*>("ListView1");
        fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret")};
        main->openserverExecute();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
    }
    void TearDown() override { fx.progress.CloseWaitMsg(); }

    void MakeDb(const QString& relative, const std::vector<store::ViewDef>& views, std::vector<store::NoteData> notes) {
        install.MakeDatabase(relative, views, std::move(notes));
    }

    QTreeWidgetItem* Node(const QStringList& texts) {
        QTreeWidgetItem* node = tree->topLevelItem(0);
        for (const QString& text : texts) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; node && i < node->childCount(); ++i)
                if (node->child(i)->text(0) == text)
                    next = node->child(i);
            node = next;
        }
        return node;
    }
    void Click(QTreeWidgetItem* node) {
        tree->setCurrentItem(node);
        main->TreeView1Click();
    }
    // The first and last N of the listed page, and pageStart.
    std::tuple<QString, QString, int> Shown() const {
        return {list->row(0).value(1), list->row(list->itemCount() - 1).value(1), main->pageStart};
    }
};

} // namespace

TEST(Views, NamesTheTreeShows) {
    for (const char* shown : {"Sales", " Padded ", "按日期"})
        EXPECT_TRUE(IsShownViewName(QString::fromUtf8(shown))) << shown;
    for (const char* hidden : {"($All)", "$Inbox", "a$b", "", " \t", "\x01"})
        EXPECT_FALSE(IsShownViewName(QString::fromUtf8(hidden))) << hidden;
    for (const char* db : {"a.nsf", "A.Nsf", "x\\b.NSF"})
        EXPECT_TRUE(IsDatabaseNodeText(db)) << db;
    for (const char* other : {"archivensf", "nsf", "a.nsf.bak"})
        EXPECT_FALSE(IsDatabaseNodeText(other)) << other;
}

TEST(Paging, PreviousAndLastPageStarts) {
    EXPECT_EQ(PreviousPageStart(0), 0);
    EXPECT_EQ(PreviousPageStart(2000), 0) << "from the first page: the first page";
    EXPECT_EQ(PreviousPageStart(4000), 0) << "from the second page: the first";
    EXPECT_EQ(PreviousPageStart(4001), 2000) << "from a one-document third page: the second";
    EXPECT_EQ(LastPageStart(2000), 0);
    EXPECT_EQ(LastPageStart(4000), 2000);
    EXPECT_EQ(LastPageStart(4001), 4000);
    EXPECT_EQ(LastPageStart(1), 0);
}

TEST_F(Browsing, ADatabasesViewsAreListedOnceWithoutHiddenOrBlankOnes) {
    QTreeWidgetItem* db = Node({"a.nsf"});
    ASSERT_TRUE(db);
    Click(db);
    EXPECT_EQ(list->viewStyle(), ListView::ViewStyle::Icon);
    const QStringList names = {"Numbers", "Bare", "Tags"};
    ASSERT_EQ(db->childCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(db->child(i)->text(0), names[i]);
        EXPECT_EQ(list->row(i), QStringList{names[i]});
    }
    EXPECT_EQ(main->dbPath, "a.nsf");
    Click(db);
    EXPECT_EQ(db->childCount(), 3) << "a second click lists nothing again";

    QTreeWidgetItem* hidden = Node({"sub", "hidden.nsf"});
    Click(hidden);
    Click(hidden);
    EXPECT_EQ(hidden->childCount(), 0);
    EXPECT_EQ(list->itemCount(), 0);
    EXPECT_TRUE(fx.prompter.messages.empty());

    QFile::remove(install.dataDir + "/sub/hidden.nsf");
    Click(hidden);
    ASSERT_EQ(fx.prompter.texts().size(), 1);
    EXPECT_TRUE(fx.prompter.texts()[0].startsWith("访问数据库出错：文件不存在"));
}

TEST_F(Browsing, PagesAndEveryPagingButton) {
    Click(Node({"a.nsf"}));
    Click(Node({"a.nsf", "Numbers"}));
    EXPECT_EQ(main->docCount, 4001);
    EXPECT_EQ(main->statusPanelText(1), "视图：Numbers(Numbers) 共有文档:4001");
    EXPECT_EQ(list->columns(), QStringList({"文档ID", "N"}));
    EXPECT_EQ(list->reportView()->header()->sectionSize(0), list->width() / 2);
    EXPECT_EQ(list->itemCount(), 2000);
    EXPECT_EQ(Shown(), std::make_tuple(QString("1"), QString("2000"), 2000));
    EXPECT_EQ(fx.progress.current(), nullptr) << "the progress window is closed";

    main->ToolButton8Click(); // 上一页 on the first page: the first page again
    EXPECT_EQ(Shown(), std::make_tuple(QString("1"), QString("2000"), 2000));
    main->ToolButton9Click(); // 下一页
    EXPECT_EQ(Shown(), std::make_tuple(QString("2001"), QString("4000"), 4000));
    main->ToolButton9Click();
    EXPECT_EQ(Shown(), std::make_tuple(QString("4001"), QString("4001"), 4001));
    main->ToolButton9Click(); // nothing after the last document
    EXPECT_EQ(list->itemCount(), 1);
    main->ToolButton10Click(); // 尾页 on the last page: nothing more to list
    EXPECT_EQ(list->itemCount(), 1);
    main->ToolButton8Click();
    EXPECT_EQ(Shown(), std::make_tuple(QString("2001"), QString("4000"), 4000));
    main->ToolButton8Click();
    EXPECT_EQ(Shown(), std::make_tuple(QString("1"), QString("2000"), 2000));
    main->ToolButton10Click();
    EXPECT_EQ(Shown(), std::make_tuple(QString("4001"), QString("4001"), 4001));
    main->ToolButton7Click(); // 首页
    EXPECT_EQ(Shown(), std::make_tuple(QString("1"), QString("2000"), 2000));

    Click(Node({"a.nsf"})); // a click ends the listing: paging is off
    EXPECT_EQ(main->docCount, 0);
    main->ToolButton9Click();
    EXPECT_EQ(list->itemCount(), 2000);
    EXPECT_TRUE(fx.prompter.messages.empty()) << fx.prompter.texts().join('|').toStdString();
}

TEST_F(Browsing, TheSaveDialogsFilterChoosesTheWorkbooksFormat) {
    Click(Node({"a.nsf"}));
    Click(Node({"a.nsf", "Numbers"}));
    QTemporaryDir out;
    fx.prompter.fileNames = {out.filePath("wb"), out.filePath("typed.xlsx")};
    fx.prompter.chosenFilter = 1;
    main->exportExecute();
    fx.prompter.chosenFilter = 0;
    main->exportExecute();
    EXPECT_EQ(fx.prompter.fileDialogFilters.back(), "Excel文件|*.xls|Excel 工作簿|*.xlsx");
    EXPECT_EQ(fx.prompter.fileDialogFolders.back(), out.path()) << "the save dialog starts where it was left";
    EXPECT_TRUE(QFileInfo(fx.prompter.fileDialogFolders.front()).isDir()) << "a folder that stands, not a name";
    const auto saves = fx.spreadsheet.log->of(spreadsheettest::SpreadsheetCall::Kind::SaveActiveWorkbookAs);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(QString::fromStdU16String(saves[0].text), out.filePath("wb.xlsx"));
    EXPECT_EQ(QString::fromStdU16String(saves[1].text), out.filePath("typed.xlsx")) << "a typed ending keeps it";
}

TEST_F(Browsing, ADoubleClickOnAViewLoadsItOnce) {
    Click(Node({"a.nsf"}));
    tree->setCurrentItem(Node({"a.nsf", "Numbers"}));
    int loads = 0;
    QObject::connect(list->reportView()->model(), &QAbstractItemModel::modelReset, [&loads] { ++loads; });
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                    QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &event);
    }
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(main->viewName, "Numbers");
    EXPECT_NE(main->docCount, 0);
}

TEST_F(Browsing, ViewsOfZeroOneAndExactlyTwoThousandDocuments) {
    for (int count : {0, 1, 2000}) {
        const QString name = QString("n%1.nsf").arg(count);
        MakeDb(name, {View(u"V", u"", u"SELECT @All", {})}, Numbered(count));
        auto db = OpenDatabase(*main->session, "Test01/Org", name);
        RecordingProgress progress;
        const DocumentPage page = LoadDocumentPage(*db, "V", 0, progress);
        EXPECT_EQ(page.columns, QStringList{"文档ID"}) << "a view without columns";
        EXPECT_EQ(page.rows.size(), size_t(count));
        EXPECT_EQ(page.pageStart, count);
        EXPECT_EQ(page.docCount, count);
        EXPECT_TRUE(page.listed);
        EXPECT_FALSE(progress.open);
        if (count == 1) {
            EXPECT_EQ(progress.texts.back(), "正在读入文档数据...1/1");
        }
    }
    auto db = OpenDatabase(*main->session, "Test01/Org", "n1.nsf");
    RecordingProgress progress;
    const DocumentPage missing = LoadDocumentPage(*db, "No such view", 0, progress);
    EXPECT_TRUE(missing.columns.isEmpty());
    EXPECT_FALSE(missing.listed);
    ASSERT_TRUE(missing.error);
}

TEST_F(Browsing, AMultiValuedEntryShowsItsValuesJoined) {
    MakeDb("tags.nsf", {View(u"V", u"", u"SELECT @All", {Column(u"T", u"T"), Column(u"N", u"N")})},
           {Note(u"D", {TextItem(u"T", {u"one"}), NumberItem(u"N", {1})}),
            Note(u"D", {TextItem(u"T", {u"红色", u"", u"蓝色"}), NumberItem(u"N", {1250.5, 3})})});
    auto db = OpenDatabase(*main->session, "Test01/Org", "tags.nsf");
    RecordingProgress progress;
    const DocumentPage page = LoadDocumentPage(*db, "V", 0, progress);
    ASSERT_EQ(page.rows.size(), 2u);
    EXPECT_EQ(page.rows[0].mid(1), QStringList({"one", "1"}));
    EXPECT_EQ(page.rows[1].mid(1), QStringList({"红色, , 蓝色", VariantToText(1250.5) + ", 3"}));
    EXPECT_FALSE(page.error);
}

TEST_F(Browsing, OpeningFilesLockedMissingDamagedAndGood) {
    const QString good = install.dataDir + "/a.nsf";
    // A second program holds the file.
    QProcess holder;
    holder.start("flock", {"--no-fork", "-s", good, "sleep", "30"});
    ASSERT_TRUE(holder.waitForStarted());
    for (int i = 0; i < 200 && !IsFileLocked(good); ++i)
        QThread::msleep(10);
    fx.prompter.fileNames = {good};
    main->openfileExecute();
    EXPECT_EQ(fx.prompter.texts(), QStringList{"文件" + good + "正在被其它程序锁定，无法打开!"});
    EXPECT_EQ(main->treeTag(), 1) << "nothing changed";
    EXPECT_EQ(fx.prompter.fileDialogFolders, std::vector<QString>{install.dataDir}) << "the dialog starts there";
    holder.kill();
    holder.waitForFinished();
    // A record lock on a range of bytes, as database programs take.
    holder.start("/usr/bin/python3", {"-c",
                                      "import fcntl,sys,time\nf=open(sys.argv[1],'r+b')\n"
                                      "fcntl.lockf(f,fcntl.LOCK_EX,1,1024)\nprint('held',flush=True)\n"
                                      "time.sleep(30)",
                                      good});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    EXPECT_TRUE(IsFileLocked(good));
    holder.kill();
    holder.waitForFinished();
    EXPECT_FALSE(IsFileLocked(good));

    fx.prompter.fileNames = {install.dataDir + "/none.nsf"};
    EXPECT_EQ(ErrorOf([&] { main->openfileExecute(); }), u"文件不存在");
    QFile damaged(install.dataDir + "/damaged.nsf");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    fx.prompter.fileNames = {damaged.fileName()};
    EXPECT_FALSE(ErrorOf([&] { main->openfileExecute(); }).empty());
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Test01/Org(" + install.dataDir + ")");

    MakeDb("padded.nsf", {View(u" Padded ", u"", u"SELECT @All", {}), View(u"$Hidden", u"", u"SELECT @All")},
           Numbered(3));
    fx.prompter.fileNames = {install.dataDir + "/padded.nsf"};
    main->openfileExecute();
    EXPECT_EQ(main->treeTag(), 2);
    EXPECT_EQ(main->docCount, 0);
    QTreeWidgetItem* file = tree->topLevelItem(0);
    ASSERT_EQ(file->childCount(), 1);
    EXPECT_EQ(file->child(0)->text(0), "Padded") << "file mode trims names";
    Click(file->child(0));
    EXPECT_EQ(main->docCount, 3);
    EXPECT_EQ(main->viewName, "Padded");
}

TEST_F(Browsing, ADominoDatabaseFileOpensThroughTheCache) {
    const QString sample = QStringLiteral(VERDANIX_NSF_SAMPLES "/sample.nsf");
    if (!QFile::exists(sample))
        GTEST_SKIP() << "the .nsf samples are not beside the project";
    QTemporaryDir config;
    qputenv("XDG_CACHE_HOME", config.path().toLocal8Bit());
    fx.prompter.fileNames = {sample};
    main->openfileExecute();
    ASSERT_EQ(fx.prompter.texts().size(), 1);
    EXPECT_TRUE(fx.prompter.texts()[0].startsWith("数据库文件中有")) << "what was not read is told";
    QTreeWidgetItem* file = tree->topLevelItem(0);
    EXPECT_EQ(file->text(0), sample) << "the node shows the real file";
    ASSERT_EQ(file->childCount(), 9) << "eight views and a folder";
    EXPECT_EQ(file->child(0)->text(0), "All");
    Click(file->child(0));
    EXPECT_EQ(main->docCount, 15) << "the profile documents are not listed";
    EXPECT_EQ(QDir(config.filePath("verdanix/nsf-cache")).entryList({"*.nsf"}).size(), 1) << "read once";

    // One in the server's data folder is read the same way when its node is clicked.
    ASSERT_TRUE(QFile::copy(sample, install.dataDir + "/real.nsf"));
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret")};
    main->openserverExecute();
    Click(Node({"real.nsf"}));
    EXPECT_EQ(Node({"real.nsf"})->childCount(), 9);
    EXPECT_EQ(fx.prompter.texts().size(), 2) << "what could not be read is told again";
    qunsetenv("XDG_CACHE_HOME");
}

TEST_F(Browsing, CommandsWaitWhileAnExportRuns) {
    Click(Node({"a.nsf"}));
    Click(Node({"a.nsf", "Numbers"}));
    QTemporaryDir out;
    int tried = 0;
    fx.spreadsheet.log->onCall = [&] {
        if (tried++ == 0) {
            main->findChild<QAction*>("openfile")->trigger();
            main->findChild<QAction*>("export")->trigger();
            tree->setCurrentItem(Node({"a.nsf", "Bare"}));
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QCoreApplication::sendEvent(tree->viewport(), &release);
        }
    };
    main->ExportToExcel(out.filePath("x.xls"));
    EXPECT_TRUE(fx.prompter.fileDialogFilters.empty()) << "no dialog opened during the export";
    EXPECT_EQ(main->viewName, "Numbers");
    EXPECT_FALSE(main->isExporting());
    EXPECT_EQ(fx.spreadsheet.log->of(spreadsheettest::SpreadsheetCall::Kind::SaveActiveWorkbookAs).size(), 1u);
}

TEST_F(Browsing, DocumentDetailsShowEveryValueOfEachItem) {
    Click(Node({"items.nsf"}));
    main->ListView1DblClick(); // icons: nothing
    Click(Node({"items.nsf", "V"}));
    main->ToolButton11Click(); // no row selected: nothing
    EXPECT_EQ(fx.forms.shown, QStringList{"frmselserver"});

    QStringList cells;
    fx.forms.scripts = {[&](QDialog& form) {
        auto* grid = form.findChild<QTableWidget*>("StringGrid1");
        for (int r = 0; r < grid->rowCount(); ++r)
            cells << grid->item(r, 0)->text() + "=" + grid->item(r, 1)->text();
        EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        return QDialog::Accepted;
    }};
    list->reportView()->setCurrentIndex(list->reportView()->model()->index(0, 0));
    ASSERT_EQ(list->selectedRows(), QList<int>{0});
    main->ListView1DblClick();
    ASSERT_EQ(cells.size(), 6);
    EXPECT_EQ(cells[0], "文档域名=域值");
    EXPECT_EQ(cells.mid(2), QStringList({"Subject=你好", "Count=3, " + VariantToText(1250.5),
                                         "When=" + VariantToText(OleDate{45000.5}), "Names=, 乙, 丙"}));

    const auto bare = store::DatabaseWriter::Open(StoreInstallation::Path(install.dataDir + "/items.nsf"));
    const std::u16string unid = bare->addNote(Note(u"", {}));
    store::NoteData twoFiles = Note(u"M", {TextItem(u"$FILE", {u"a.txt"}, 1084), TextItem(u"$FILE", {u"b.txt"}, 1084)});
    twoFiles.files = {FileObject(u"a.txt", "A"), FileObject(u"b.txt", "B")};
    const std::u16string files = bare->addNote(std::move(twoFiles));
    bare->commit();
    const auto fileRows = DocumentItems(*main->session, "Test01/Org", "items.nsf", QString::fromStdU16String(files));
    ASSERT_EQ(fileRows.size(), 3);
    EXPECT_EQ(fileRows[1].value + "|" + fileRows[2].value, "a.txt|b.txt") << "each row its own item's value";
    const auto items = DocumentItems(*main->session, "Test01/Org", "items.nsf", QString::fromStdU16String(unid));
    EXPECT_TRUE(items.isEmpty());
    TfrmdocDetail detail({}, nullptr);
    EXPECT_EQ(detail.StringGrid1->rowCount(), 1) << "the header row alone";
}

TEST(DocumentDetail, TheNameColumnWidensByDragAndTheGridFollowsTheWindow) {
    TfrmdocDetail detail({{"PublishDate", "2024"}}, nullptr);
    QTableWidget* grid = detail.StringGrid1;
    EXPECT_EQ(grid->columnWidth(0), 64);
    EXPECT_EQ(grid->columnWidth(1), 248);
    QWidget* viewport = grid->viewport();
    const int y = grid->rowViewportPosition(1) + 5;
    const auto mouse = [&](QEvent::Type type, int x) {
        QMouseEvent event(type, QPointF(x, y), viewport->mapToGlobal(QPointF(x, y)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &event);
    };
    mouse(QEvent::MouseButtonPress, 64); // on the line after the name column
    mouse(QEvent::MouseMove, 150);
    mouse(QEvent::MouseButtonRelease, 150);
    EXPECT_EQ(grid->columnWidth(0), 150);
    detail.show();
    detail.resize(868, 593);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->width(), 765);
    EXPECT_EQ(grid->columnWidth(1), 548) << "the value column takes the width gained";
}
