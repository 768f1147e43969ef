#include "support/ConnectDialog.h"
#include "support/Files.h"
#include "support/MainWindowFixture.h"
#include "support/StoreInstallation.h"

#include "shell/GeneralErrorDisplay.h"
#include "shell/ListView.h"
#include "shell/WaitMsg.h"
#include "shell/selserver.h"

#include <QLabel>

#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QStringList TopLevelTexts(QTreeWidget* tree) {
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

QStringList ChildTexts(QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    texts.sort();
    return texts;
}

struct Connecting : ::testing::Test {
    StoreInstallation install;
    MainWindowFixture fx;
    std::unique_ptr<TfrmMain> main;
    QTreeWidget* tree = nullptr;

    void SetUp() override {
        store::RegisterLocalStore(fx.factory);
        QDir(install.dataDir).mkpath("mail/empty");
        QFile(install.dataDir + "/mail/zhang.nsf").open(QIODevice::WriteOnly);
    }
    void Start() {
        main = fx.CreateMain();
        main->FormShow();
        tree = main->findChild<QTreeWidget*>("TreeView1");
    }
    void TearDown() override {
        fx.progress.CloseWaitMsg();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString IniPath() const { return fx.exeDir.filePath("system.ini"); }
};

} // namespace

TEST_F(Connecting, SuccessStoresTheTrimmedValuesAndShowsTheDataFolder) {
    install.Register(fx.registry);
    Start();
    fx.forms.scripts = {ConfirmConnect(" Test01/Org ", "\twangfang ", " s3cret ")};
    main->openserverExecute();

    EXPECT_TRUE(fx.prompter.messages.empty()) << fx.prompter.texts().join('|').toStdString();
    EXPECT_EQ(ReadGb18030(IniPath()), "[domino]\r\nserver=Test01/Org\r\nusername=wangfang\r\npwd=s3cret\r\n");
    EXPECT_EQ(main->treeTag(), 1);
    EXPECT_EQ(main->dataPath, install.dataDir);
    ASSERT_EQ(TopLevelTexts(tree), QStringList{"Test01/Org(" + install.dataDir + ")"});
    QTreeWidgetItem* server = tree->topLevelItem(0);
    EXPECT_EQ(server->toolTip(0), server->text(0)) << "the whole text, where the pane cuts it off";
    EXPECT_EQ(ChildTexts(server), QStringList({"mail", "names.nsf"}));
    EXPECT_FALSE(fx.progress.current()) << "the progress window is closed";
}

TEST_F(Connecting, FailedLogOnShowsOneMessageAndChangesNoFile) {
    install.Register(fx.registry);
    Start();
    QStringList shownSecond;
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "wrong"), [&](QDialog& form) {
                            shownSecond = ConnectDialogFields(dynamic_cast<Tfrmselserver&>(form));
                            return QDialog::Rejected;
                        }};
    main->openserverExecute();
    EXPECT_EQ(fx.prompter.texts(), QStringList{"连接服务器失败!"});
    EXPECT_FALSE(QFile::exists(IniPath()));
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(main->findChild<ListView*>("ListView1")->itemCount(), 0);
    EXPECT_FALSE(fx.progress.current());

    main->openserverExecute();
    EXPECT_EQ(shownSecond, QStringList({"Test01/Org", "wangfang", "wrong"})) << "the values just tried";
}

TEST_F(Connecting, UnknownUserAndMissingComponentFailTheSameWay) {
    install.Register(fx.registry);
    Start();
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "nobody", "s3cret")};
    main->openserverExecute();
    QFile::remove(install.programDir + "/nlsxbe.dll");
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret")};
    main->openserverExecute();
    EXPECT_EQ(fx.prompter.texts(), QStringList({"连接服务器失败!", "连接服务器失败!"}));
    EXPECT_FALSE(QFile::exists(IniPath()));
}

TEST_F(Connecting, UnwritableSettingsFileEndsTheCommandThroughTheGeneralErrorDisplay) {
    install.Register(fx.registry);
    QFile ini(IniPath());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[domino]\nserver=Old\n");
    ini.close();
    QFile::setPermissions(IniPath(), QFileDevice::ReadOwner);
    Start();
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret")};
    RunGuarded(fx.prompter, [&] { main->openserverExecute(); });
    ASSERT_EQ(fx.prompter.messages.size(), 1u);
    EXPECT_EQ(fx.prompter.messages[0].text, "Unable to write to " + IniPath() + ".");
    EXPECT_EQ(fx.prompter.messages[0].icon, IPrompter::Icon::Error);
    EXPECT_FALSE(fx.progress.current());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(ReadGb18030(IniPath()), "[domino]\nserver=Old\n");
    EXPECT_TRUE(main->session->IsBound()) << "the session stays logged on";
}

TEST_F(Connecting, OnlyANotesClientGivesAServerNodeWithoutChildren) {
    auto notes = fx.registry.CreateKey(u"Software\\Lotus\\Notes");
    notes->WriteString(u"Path", install.programDir.toStdU16String());
    Start();
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret")};
    main->openserverExecute();
    EXPECT_TRUE(fx.prompter.messages.empty()) << fx.prompter.texts().join('|').toStdString();
    ASSERT_EQ(TopLevelTexts(tree), QStringList{"Test01/Org(没有安装Domino)"});
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 0);
    EXPECT_TRUE(QFile::exists(IniPath()));
}

TEST_F(Connecting, SecondConnectionReleasesTheFirstSessionAndRebuildsTheTree) {
    install.Register(fx.registry);
    Start();
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret"),
                        ConfirmConnect("Other/Org", "王芳/Org", "s3cret")};
    main->openserverExecute();
    const std::weak_ptr<ISession> first = main->session->DefaultInterface();
    main->openserverExecute();
    EXPECT_TRUE(first.expired()) << "the first session is released (a new one may reuse its address)";
    EXPECT_TRUE(main->session->IsBound());
    EXPECT_EQ(TopLevelTexts(tree), QStringList{"Other/Org(" + install.dataDir + ")"});
    EXPECT_TRUE(ReadGb18030(IniPath()).contains("username=王芳/Org"));
}

TEST_F(Connecting, CancelKeepsTheTreeButEntersServerMode) {
    install.Register(fx.registry);
    Start();
    fx.forms.scripts = {ConfirmConnect("Test01/Org", "wangfang", "s3cret")};
    main->openserverExecute();
    main->setTreeTag(2);
    main->openserverExecute();
    EXPECT_EQ(main->treeTag(), 1);
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(fx.forms.shown, QStringList({"frmselserver", "frmselserver"}));
}

namespace {

// A session that notes what the progress window shows while it logs on.
struct WatchingSession : ISession {
    WaitMsgWindow* progress;
    QString* seenText;
    QRect* seenGeometry;
    WatchingSession(WaitMsgWindow* progress, QString* text, QRect* geometry)
        : progress(progress), seenText(text), seenGeometry(geometry) {}
    void Initialize(const std::u16string&) override {}
    void InitializeUsingNotesUserName(const std::u16string&, const std::u16string&) override {
        if (TMsgFrm* window = progress->current()) {
            *seenText = window->LblMsg->text();
            *seenGeometry = window->geometry();
        }
    }
    std::shared_ptr<IDatabase> GetDatabase(const std::u16string&, const std::u16string&, bool) override {
        return nullptr;
    }
    Variant Evaluate(const std::u16string&, const Variant&) override { return {}; }
    std::shared_ptr<IDXLExporter> CreateDXLExporter() override { return nullptr; }
};

} // namespace

TEST(ConnectingProgress, TheProgressWindowIsUpAndCentredDuringTheLogOn) {
    MainWindowFixture fx;
    QTemporaryDir program;
    const QString component = program.filePath("nlsxbe.dll");
    PortableComClassFactory::WriteComponentFile(component.toStdU16String(), "Watching");
    QString text;
    QRect geometry;
    fx.factory.RegisterLoader("Watching", [&](const std::filesystem::path&) {
        return std::make_shared<WatchingSession>(&fx.progress, &text, &geometry);
    });
    fx.InstallDomino(program.path(), program.path());
    fx.registry.CreateKey(PortableComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
        ->WriteString(u"", component.toStdU16String());
    auto main = fx.CreateMain();
    main->FormShow();
    main->setGeometry(100, 100, 846, 524);
    main->show();
    fx.forms.scripts = {ConfirmConnect("S", "U", "P")};
    main->openserverExecute();
    EXPECT_EQ(text, "正在连接Domino服务器");
    EXPECT_EQ(geometry.size(), QSize(393, 54));
    EXPECT_LE((geometry.center() - main->frameGeometry().center()).manhattanLength(), 2);
    EXPECT_FALSE(fx.progress.current());
    fx.progress.CloseWaitMsg();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
