#include "support/Files.h"
#include "support/MainWindowFixture.h"
#include "support/SessionClassKey.h"

#include "assembly/dominointerface.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/about.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

// What the user sees of the window before any command: its title, the menus and the toolbar, each
// button with its picture.
TEST(MainWindow, ShowsItsTitleMenusAndToolbar) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    EXPECT_EQ(main->windowTitle(), "VerdanixV3.2");

    QStringList menus;
    for (QAction* menu : main->menuBar()->actions()) {
        QStringList items;
        for (QAction* item : menu->menu()->actions())
            items << item->text();
        menus << menu->text() + ": " + items.join(", ");
    }
    EXPECT_EQ(menus, QStringList({"文   件: 打开文件, 连接服务器, 退出系统", "工   具: 导出数据, 导入数据",
                                  "关  于: 关于, 界面语言"}));

    QStringList buttons;
    for (auto* button : main->findChild<QToolBar*>("ToolBar1")->findChildren<QToolButton*>()) {
        if (button->objectName().startsWith("ToolButton")) { // not the toolbar's own extension button
            buttons << button->text();
            EXPECT_FALSE(button->icon().isNull()) << button->text().toStdString();
        }
    }
    EXPECT_EQ(buttons, QStringList({"连接服务器", "打开文件", "导出数据", "文档详情", "首页", "上一页", "下一页",
                                    "尾页", "关于", "退出系统"}));
}

TEST(StartUp, WithoutAnyInstallationShowsOneMessageAndTerminatesBeforeReadingSettings) {
    MainWindowFixture fx;
    QFile ini(fx.exeDir.filePath("system.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[domino]\nserver=FromFile\n");
    ini.close();
    auto main = fx.CreateMain();
    main->FormShow();
    EXPECT_EQ(
        fx.prompter.texts(),
        QStringList{
            "对不起，Quarrix要求运行的电脑上已经安装过Domino客户端或服务器端软件!请安装Domino环境后再运行本系统!"});
    EXPECT_EQ(fx.terminateCalls, 1);
    EXPECT_EQ(main->serverName, "") << "settings are not read";
    EXPECT_FALSE(main->session);
    EXPECT_FALSE(main->database);
}

TEST(StartUp, BothInstalledRegistersTheDominoDirectoryAndCreatesTheWrappers) {
    KeepCurrentDir keep;
    MainWindowFixture fx;
    QTemporaryDir notesDir, dominoDir;
    fx.InstallNotes(notesDir.path());
    fx.InstallDomino(dominoDir.path(), dominoDir.path());
    for (const QString& dir : {notesDir.path(), dominoDir.path()})
        PortableComClassFactory::WriteComponentFile(ComponentFilePath(dir).toStdString(), "LocalDominoStore");
    fx.registry.CreateKey(kSessionClassKey)->WriteString(u"", ComponentFilePath(notesDir.path()).toStdU16String());

    auto main = fx.CreateMain();
    main->FormShow();
    EXPECT_EQ(fx.terminateCalls, 0);
    EXPECT_TRUE(fx.prompter.messages.empty());
    EXPECT_EQ(QString::fromStdU16String(*fx.registry.OpenKey(kSessionClassKey)->ReadString(u"")),
              ComponentFilePath(dominoDir.path()));
    EXPECT_EQ(main->serverName, "TESTHOST") << "no settings file: the host name";
    ASSERT_TRUE(main->session);
    ASSERT_TRUE(main->database);
    EXPECT_FALSE(main->session->IsBound()) << "nothing talks to Domino before a command";
}

TEST(Commands, ExitAsksAndTerminatesOnlyWhenConfirmed) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    fx.prompter.answers = {IPrompter::Answer::Cancel, IPrompter::Answer::Ok};
    main->exitsystemExecute();
    EXPECT_EQ(fx.terminateCalls, 0);
    main->exitsystemExecute();
    EXPECT_EQ(fx.terminateCalls, 1);
    ASSERT_EQ(fx.prompter.messages.size(), 2u);
    EXPECT_EQ(fx.prompter.messages[0].caption, "确认");
    EXPECT_EQ(fx.prompter.messages[0].text, "您要退出Verdanix么?");
    EXPECT_EQ(fx.prompter.messages[0].buttons, IPrompter::Buttons::OkCancel);
}

TEST(Commands, ImportOnlyShowsItsMessage) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    main->inportdataExecute();
    main->findChild<QAction*>("ACCESS2")->trigger();
    EXPECT_EQ(fx.prompter.texts(), QStringList({"对不起，该功能暂时尚未提供!", "对不起，该功能暂时尚未提供!"}));
    EXPECT_EQ(fx.prompter.messages[0].icon, IPrompter::Icon::None);
    EXPECT_EQ(fx.prompter.messages[0].caption, "VerdanixV3.2");
}

TEST(Commands, TheLanguageChosenIsKeptForTheNextStart) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    EXPECT_TRUE(main->findChild<QAction*>("Language_zh")->isChecked());
    main->findChild<QAction*>("Language_en")->trigger();
    EXPECT_EQ(LoadLanguage(fx.exeDir.filePath("system.ini")), Language::English);
    EXPECT_EQ(fx.prompter.texts(), QStringList({"界面语言已设为英文，重新启动 Verdanix 后生效。"}));
    EXPECT_TRUE(fx.CreateMain()->findChild<QAction*>("Language_en")->isChecked());

    // A choice that cannot be kept is told, and the menu shows the one that is.
    MainWindowFixture blocked;
    ASSERT_TRUE(QDir(blocked.exeDir.path()).mkdir("system.ini"));
    auto window = blocked.CreateMain();
    window->findChild<QAction*>("Language_en")->trigger();
    ASSERT_EQ(blocked.prompter.messages.size(), 1u);
    EXPECT_TRUE(blocked.prompter.messages[0].text.startsWith("Unable to write to"));
    EXPECT_TRUE(window->findChild<QAction*>("Language_zh")->isChecked());
}

TEST(Commands, AboutWindowIsCreatedAnewEachTimeAndOpensItsAddress) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    QList<QDialog*> seen;
    auto script = [&](QDialog& form) {
        seen << &form;
        auto* about = dynamic_cast<TfrmAbout*>(&form);
        EXPECT_TRUE(about);
        EXPECT_EQ(form.windowTitle(), "关于");
        EXPECT_EQ(form.size(), QSize(380, 301));
        EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), "VerdanixV3.2");
        EXPECT_EQ(form.findChild<QPushButton*>("Button1")->text(), "确       定");
        about->Label5MouseEnter();
        EXPECT_EQ(form.findChild<QLabel*>("Label5")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        about->Label5MouseLeave();
        EXPECT_EQ(form.findChild<QLabel*>("Label5")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        about->Label5Click();
        about->Button1Click();
        return form.result();
    };
    fx.forms.scripts = {script, script};
    main->aboutExecute();
    main->findChild<QAction*>("N7")->trigger();
    ASSERT_EQ(fx.forms.shown, QStringList({"frmAbout", "frmAbout"}));
    EXPECT_EQ(fx.openedUrls, QStringList({TfrmAbout::kWebAddress, TfrmAbout::kWebAddress}));
}

TEST(Splitter, FollowsTheDragOnlyWithTheLeftButtonAndStaysWithinBounds) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    main->resize(846, 524);
    QWidget* panel2 = main->findChild<QWidget*>("Panel2");

    main->Panel4MouseMove(2);
    EXPECT_EQ(panel2->width(), 225) << "no button: no change";
    EXPECT_EQ(main->splitterX, 2);

    fx.leftButton = true;
    main->Panel4MouseMove(42);
    EXPECT_EQ(panel2->width(), 265) << "the drag starts from the last position seen";
    main->Panel4MouseMove(-5000);
    EXPECT_EQ(panel2->width(), TfrmMain::kTreeMinWidth);
    main->Panel4MouseMove(5000);
    EXPECT_EQ(panel2->width(), main->width() - TfrmMain::kListMinWidth);
    EXPECT_EQ(main->splitterX, 5000);
}

TEST(Splitter, TheTreesEdgeFollowsTheMouseOnTheScreen) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    main->resize(846, 524);
    QWidget* panel2 = main->findChild<QWidget*>("Panel2");
    QWidget* panel4 = main->findChild<QWidget*>("Panel4");
    // The panel moves with the tree's edge: the mouse stays at the same place within it.
    const auto moveTo = [&](int screenX) {
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(screenX, 300), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(panel4, &move);
    };
    moveTo(400);
    fx.leftButton = true;
    moveTo(500);
    moveTo(450);
    EXPECT_EQ(panel2->width(), 225 + 50);
}

TEST(GeneralErrorDisplay, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(ErrorDisplayText("File does not exist"), "File does not exist.");
    EXPECT_EQ(ErrorDisplayText("无法打开数据库"), "无法打开数据库.");
    EXPECT_EQ(ErrorDisplayText("Done!"), "Done!");
    EXPECT_EQ(ErrorDisplayText("Done."), "Done.");
    EXPECT_EQ(ErrorDisplayText("code 4-"), "code 4-");
    EXPECT_EQ(ErrorDisplayText("code 4/"), "code 4/.");
    EXPECT_EQ(ErrorDisplayText(""), "");

    RecordingPrompter prompter;
    RunGuarded(prompter, [] { throw EOleException(u"Invalid universal id", 0x80040FFB); });
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Invalid universal id.");
    EXPECT_EQ(prompter.messages[0].icon, IPrompter::Icon::Error);
    EXPECT_EQ(prompter.messages[0].caption, "VerdanixV3.2");
}
