#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

QString ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ProfileFile, ReadsWithoutRegardToCaseAndDefaultsWhenMissing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    ProfileFile ini(path);
    EXPECT_EQ(ini.ReadString("domino", "server", "dflt"), "dflt") << "missing file";

    WriteAll(path, "; comment\r\n[Other]\r\nserver=wrong\r\n[DOMINO]\r\n  Server = Alpha/Org  \r\nPWD=\"  x \"\r\n");
    EXPECT_EQ(ini.ReadString("domino", "server", ""), "Alpha/Org");
    EXPECT_EQ(ini.ReadString("Domino", "pwd", ""), "  x ") << "quotes are removed, blanks inside kept";
    EXPECT_EQ(ini.ReadString("domino", "username", "none"), "none");
    EXPECT_EQ(ini.ReadString("missing", "server", "none"), "none");
}

TEST(ProfileFile, ValuesAreCutAt2047Characters) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, "[domino]\nserver=" + QByteArray(5000, 'a') + "\n");
    EXPECT_EQ(ProfileFile(path).ReadString("domino", "server", "").size(), 2047);
}

TEST(ProfileFile, WritingCreatesInOrderAndKeepsOtherLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    ProfileFile ini(path);
    ini.WriteString("domino", "server", "S1");
    ini.WriteString("domino", "username", "张三");
    ini.WriteString("domino", "pwd", "p");
    EXPECT_EQ(ReadAll(path), "[domino]\nserver=S1\nusername=张三\npwd=p\n");
    const auto perms = std::filesystem::status(path.toStdString()).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "the file holds a password";

    WriteAll(path, "; keep me\r\n[Other]\r\na=1\r\n\r\n[Domino]\r\nSERVER=old\r\nextra=2\r\n\r\n[Tail]\r\nb=3\r\n");
    ini.WriteString("domino", "server", "new");
    ini.WriteString("domino", "pwd", "secret");
    EXPECT_EQ(ReadAll(path), "; keep me\r\n[Other]\r\na=1\r\n\r\n[Domino]\r\nserver=new\r\nextra=2\r\npwd=secret\r\n"
                             "\r\n[Tail]\r\nb=3\r\n");
}

TEST(ProfileFile, UnwritableFileOrFolderRaisesAndKeepsTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, "[domino]\nserver=old\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    try {
        ProfileFile(path).WriteString("domino", "server", "new");
        FAIL() << "a read-only file must not be replaced";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path);
    }
    EXPECT_EQ(ReadAll(path), "[domino]\nserver=old\n");

    const QString missingFolder = dir.filePath("no/such/folder/system.ini");
    EXPECT_THROW(ProfileFile(missingFolder).WriteString("domino", "server", "x"), ProfileWriteError);
}

TEST(ProfileFile, LegacyEncodedFileStaysLegacyEncoded) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    // "服务器" in GB18030, which is not valid UTF-8.
    WriteAll(path, "[domino]\nserver=\xb7\xfe\xce\xf1\xc6\xf7\n");
    ProfileFile ini(path);
    EXPECT_EQ(ini.ReadString("domino", "server", ""), QString::fromUtf8("服务器"));
    ini.WriteString("domino", "username", QString::fromUtf8("张三"));
    EXPECT_EQ(ini.ReadString("domino", "server", ""), QString::fromUtf8("服务器"));
    EXPECT_EQ(ini.ReadString("domino", "username", ""), QString::fromUtf8("张三"));
}
