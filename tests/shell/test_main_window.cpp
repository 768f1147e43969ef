#include "support/Files.h"
#include "support/MainWindowFixture.h"
#include "support/SessionClassKey.h"

#include "assembly/dominointerface.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/Icons.h"
#include "shell/ListView.h"
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
#include <QTreeWidget>

#include <gtest/gtest.h>

TEST(MainWindow, ComponentsCarryTheirNamesCaptionsAndImages) {
    MainWindowFixture fx;
    auto main = fx.CreateMain();
    EXPECT_EQ(main->windowTitle(), "VerdanixV3.2");
    EXPECT_EQ(main->size(), QSize(846, 524));
    for (const char* name : {"Panel1", "ToolBar1", "Panel2", "TreeView1", "Panel4", "Panel3", "ListView1", "Panel5",
                             "StatusBar1", "MainMenu1", "ImageList1", "ImageList2", "ActionList1"})
        EXPECT_TRUE(main->findChild<QObject*>(name)) << name;
    EXPECT_EQ(main->findChild<QWidget*>("Panel2")->width(), 225);
    EXPECT_EQ(main->findChild<QWidget*>("Panel4")->width(), 3);
    EXPECT_EQ(main->findChild<QWidget*>("Panel1")->height(), 49);
    EXPECT_EQ(main->findChild<QWidget*>("Panel5")->height(), 32);
    EXPECT_EQ(main->findChild<ImageList*>("ImageList1")->count(), 11);
    EXPECT_EQ(main->findChild<ImageList*>("ImageList2")->count(), 4);
    EXPECT_EQ(main->findChild<QTreeWidget*>("TreeView1")->indentation(), 19);

    struct Action {
        const char* name;
        const char* caption;
        int image;
    } actions[] = {{"exitsystem", "退出系统", 1}, {"openserver", "连接服务器", 4}, {"openfile", "打开文件", 3},
                   {"export", "导出数据", 2},     {"inportdata", "导入数据", 0},   {"about", "关于", 5}};
    for (const auto& a : actions) {
        auto* action = main->findChild<QAction*>(a.name);
        ASSERT_TRUE(action) << a.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(a.caption));
        EXPECT_EQ(action->property("ImageIndex").toInt(), a.image);
    }

    struct Menu {
        const char* name;
        const char* title;
        QStringList items;
    } menus[] = {
        {"N1", "文   件", {"N2", "N3", "N6"}}, {"N4", "工   具", {"ACCESS1", "ACCESS2"}}, {"N5", "关  于", {"N7"}}};
    for (const auto& m : menus) {
        auto* menu = main->findChild<QMenu*>(m.name);
        ASSERT_TRUE(menu) << m.name;
        EXPECT_EQ(menu->title(), QString::fromUtf8(m.title));
        QStringList names;
        for (QAction* item : menu->actions())
            names << item->objectName();
        EXPECT_EQ(names, m.items);
    }
    EXPECT_EQ(main->findChild<QAction*>("N3")->text(), "连接服务器");
    EXPECT_EQ(main->findChild<QAction*>("ACCESS1")->text(), "导出数据");

    struct Button {
        const char* name;
        const char* caption;
        int image;
        const char* hint;
    } buttons[] = {{"ToolButton1", "连接服务器", 4, "连接Domino服务器"},
                   {"ToolButton2", "打开文件", 3, "打开独立的NSF文件"},
                   {"ToolButton4", "导出数据", 2, "导出数据到Excel文件，并导出附件和RTF域图片"},
                   {"ToolButton11", "文档详情", 10, "查看选中文档的所有域和值"},
                   {"ToolButton7", "首页", 8, ""},
                   {"ToolButton8", "上一页", 6, ""},
                   {"ToolButton9", "下一页", 7, ""},
                   {"ToolButton10", "尾页", 9, ""},
                   {"ToolButton5", "关于", 5, ""},
                   {"ToolButton6", "退出系统", 1, ""}};
    const auto toolButtons =
        main->findChild<QToolBar*>("ToolBar1")->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
    QStringList order;
    for (auto* b : toolButtons)
        if (b->objectName().startsWith("ToolButton"))
            order << b->objectName();
    QStringList expectedOrder;
    for (const auto& b : buttons)
        expectedOrder << b.name;
    EXPECT_EQ(order, expectedOrder);
    for (const auto& b : buttons) {
        auto* button = main->findChild<QToolButton*>(b.name);
        ASSERT_TRUE(button) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->property("ImageIndex").toInt(), b.image);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.name;
        EXPECT_EQ(button->size(), QSize(67, 36));
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }
    EXPECT_EQ(main->treeTag(), 0);
    EXPECT_EQ(main->findChild<ListView*>("ListView1")->viewStyle(), ListView::ViewStyle::Icon);
    EXPECT_EQ(main->statusPanelText(1), "");
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
