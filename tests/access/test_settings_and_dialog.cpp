#include "access/settings.h"
#include "shell/selserver.h"
#include "support/Files.h"
#include "support/RecordingPrompter.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString HostName() {
    return "MYHOST";
}

} // namespace

TEST(Settings, MissingOrEmptyServerFallsBackToTheHostNameWithoutWritingIt) {
    QTemporaryDir dir;
    const QString path = SettingsFilePath(dir.path());
    auto settings = LoadSettings(path, HostName);
    EXPECT_EQ(settings.serverName, "MYHOST");
    EXPECT_EQ(settings.userName, "");
    EXPECT_EQ(settings.password, "");
    EXPECT_FALSE(QFile::exists(path)) << "no file is created by reading";

    WriteAll(path, QStringEncoder("GB18030")(QStringLiteral("[DOMINO]\nSERVER=\nUserName=张三\nPwd=a b\n")));
    settings = LoadSettings(path, HostName);
    EXPECT_EQ(settings.serverName, "MYHOST");
    EXPECT_EQ(settings.userName, "张三");
    EXPECT_EQ(settings.password, "a b");
}

TEST(Settings, SaveWritesTheThreeKeysInOrder) {
    QTemporaryDir dir;
    const QString path = SettingsFilePath(dir.path());
    SaveSettings(path, {"Domino01/HuaXin", "zhangwei", "pw"});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), "[domino]\r\nserver=Domino01/HuaXin\r\nusername=zhangwei\r\npwd=pw\r\n");
    const auto loaded = LoadSettings(path, HostName);
    EXPECT_EQ(loaded.serverName, "Domino01/HuaXin");
}

TEST(ConnectDialog, ValidatesTrimsAndStoresOnlyWhenConfirmed) {
    QString server = "S0", user = "U0", pwd = "P0";
    RecordingPrompter prompter;
    Tfrmselserver dialog(server, user, pwd, prompter);
    EXPECT_EQ(dialog.windowTitle(), "连接服务器");
    EXPECT_EQ(dialog.size(), QSize(260, 225));
    EXPECT_EQ(dialog.Edit1->text(), "S0");
    EXPECT_EQ(dialog.Edit3->echoMode(), QLineEdit::Normal) << "the password is shown in clear";
    EXPECT_FALSE(dialog.Button1->isDefault() || dialog.Button1->autoDefault());
    EXPECT_FALSE(dialog.Button2->isDefault() || dialog.Button2->autoDefault());
    EXPECT_TRUE(dialog.cancelled);

    dialog.Edit1->setText(" \t\x01");
    dialog.Button1Click();
    dialog.Edit1->setText("srv");
    dialog.Edit2->setText("   ");
    dialog.Button1Click();
    EXPECT_EQ(prompter.texts(), QStringList({"服务器名不能为空", "登录用名不能为空"}));
    EXPECT_TRUE(dialog.cancelled);
    EXPECT_EQ(server, "S0") << "nothing is stored while the input is invalid";

    dialog.Edit1->setText("\t Domino01/HuaXin \r\n");
    dialog.Edit2->setText(" 张伟 ");
    dialog.Edit3->setText("  secret\x1f");
    dialog.Button1Click();
    EXPECT_FALSE(dialog.cancelled);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(server, "Domino01/HuaXin");
    EXPECT_EQ(user, "张伟");
    EXPECT_EQ(pwd, "secret");
}

TEST(ConnectDialog, PastedTextKeepsItsFirstLineOnly) {
    QString server = "S0", user = "U0", pwd = "";
    RecordingPrompter prompter;
    Tfrmselserver dialog(server, user, pwd, prompter);
    dialog.Edit3->insert("pw\n[evil]\nserver=X");
    EXPECT_EQ(dialog.Edit3->text(), "pw");
    dialog.Edit2->setCursorPosition(1);
    dialog.Edit2->insert("x\r\ny");
    EXPECT_EQ(dialog.Edit2->text(), "Ux0") << "the text after the cursor stays";
    dialog.Button1Click();
    EXPECT_EQ(pwd, "pw");
}

TEST(ConnectDialog, CancelLeavesTheFieldsAndReportsCancelled) {
    QString server = "S0", user = "U0", pwd = "P0";
    RecordingPrompter prompter;
    Tfrmselserver dialog(server, user, pwd, prompter);
    dialog.Edit1->setText("other");
    dialog.Button2Click();
    EXPECT_TRUE(dialog.cancelled);
    EXPECT_EQ(server, "S0");
    EXPECT_EQ(TrimControl(QString("\x01\x20x y\x1f")), "x y");
    EXPECT_EQ(TrimControl(QString(" \x7f")), "\x7f") << "DEL is above 32 and stays";
}
