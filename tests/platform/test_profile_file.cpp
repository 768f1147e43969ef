#include "platform/ProfileFile.h"
#include "platform/WholeFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray Gb(const QString& text) {
    return QStringEncoder("GB18030")(text);
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

TEST(ProfileFile, ValuesAreCutAt2047BytesOfWholeCharacters) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, "[domino]\nserver=" + QByteArray(5000, 'a') + "\nuser=" + Gb(QString(1500, QChar(0x4F1F))) + "\n");
    EXPECT_EQ(ProfileFile(path).ReadString("domino", "server", "").size(), 2047);
    EXPECT_EQ(ProfileFile(path).ReadString("domino", "user", ""), QString(1023, QChar(0x4F1F)));
}

TEST(ProfileFile, BlanksBareKeysAndTheKeysLetterCaseFollowTheSystem) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, Gb(QStringLiteral("[domino]\nserver\nserver=x\nuser=\x1a 张\u3000 \x1a\nPWD=a\n")));
    ProfileFile ini(path);
    EXPECT_EQ(ini.ReadString("domino", "server", "dflt"), "") << "a line without = is the key, empty";
    EXPECT_EQ(ini.ReadString("domino", "user", ""), QStringLiteral("张\u3000")) << "0x1A is trimmed, U+3000 is not";
    ini.WriteString("domino", "server", "y");
    ini.WriteString("domino", "pwd", "b");
    EXPECT_EQ(ReadGb18030(path), QStringLiteral("[domino]\nserver=y\nserver=x\nuser=\x1a 张\u3000 \x1a\nPWD=b\n"));
}

TEST(ProfileFile, ByteOrderMarkChoosesTheEncodingElseGb18030) {
    QTemporaryDir dir;
    const QString gbk = dir.filePath("gbk.ini");
    WriteAll(gbk, "[domino]\nusername=\xce\xb0\n"); // GBK for 伟, also valid UTF-8 for another letter
    EXPECT_EQ(ProfileFile(gbk).ReadString("domino", "username", ""), QStringLiteral("伟"));

    const QString fresh = dir.filePath("new.ini");
    ProfileFile(fresh).WriteString("domino", "server", QStringLiteral("服务器01"));
    EXPECT_EQ(ReadBytes(fresh), "[domino]\r\nserver=" + Gb(QStringLiteral("服务器01")) + "\r\n");

    const QString utf8 = dir.filePath("utf8.ini");
    WriteAll(utf8, "\xEF\xBB\xBF[domino]\r\nserver=" + QStringLiteral("服务器").toUtf8() + "\r\n");
    ProfileFile(utf8).WriteString("domino", "username", QStringLiteral("张伟"));
    EXPECT_EQ(ReadBytes(utf8),
              "\xEF\xBB\xBF" + QStringLiteral("[domino]\r\nserver=服务器\r\nusername=张伟\r\n").toUtf8());

    const QString utf16 = dir.filePath("utf16.ini");
    const auto utf16le = [](const QString& text) { return QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(text)); };
    WriteAll(utf16, "\xFF\xFE" + utf16le(QStringLiteral("[domino]\r\nserver=服务器\r\n")));
    EXPECT_EQ(ProfileFile(utf16).ReadString("domino", "server", ""), QStringLiteral("服务器"));
    ProfileFile(utf16).WriteString("domino", "pwd", QStringLiteral("密码"));
    EXPECT_EQ(ReadBytes(utf16), "\xFF\xFE" + utf16le(QStringLiteral("[domino]\r\nserver=服务器\r\npwd=密码\r\n")));
}

TEST(ProfileFile, LineBreaksAreRefusedAndChangeNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, "[domino]\npwd=old\n");
    for (const QString& value : {QString("pw\n[evil]\nserver=X"), QString("pw\r")}) {
        try {
            ProfileFile(path).WriteString("domino", "pwd", value);
            ADD_FAILURE() << "a value with a line break was written";
        } catch (const ProfileWriteError& e) {
            EXPECT_TRUE(e.message().startsWith("Unable to write to " + path + ": ")) << e.message().toStdString();
        }
    }
    EXPECT_THROW(ProfileFile(path).WriteString("domino", "a\nb", "x"), ProfileWriteError);
    EXPECT_EQ(ReadGb18030(path), "[domino]\npwd=old\n");
}

TEST(ProfileFile, WritesInPlaceWhereNoFileCanBeMadeBesideIt) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, "[domino]\nserver=old and longer\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ProfileFile(path).WriteString("domino", "server", "locked folder");
    EXPECT_THROW(ProfileFile(dir.filePath("other.ini")).WriteString("domino", "server", "x"), ProfileWriteError);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadGb18030(path), "[domino]\nserver=locked folder\n");
}

// Runs work in a child process whose files may not grow past limit bytes (the write then fails
// with EFBIG); the child's exit status: 0 when work raised WholeFileError or ProfileWriteError,
// 1 when it did not, 2 when it raised something else.
int UnderFileSizeLimit(rlim_t limit, const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        int status = 1;
        try {
            work();
        } catch (const WholeFileError&) {
            status = 0;
        } catch (const ProfileWriteError&) {
            status = 0;
        } catch (...) {
            status = 2;
        }
        ::_exit(status);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProfileFile, AFailedWriteNeverLeavesARuinedFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    const QByteArray old = "[domino]\r\nserver=" + QByteArray(1500, 's') + "\r\n";
    WriteAll(path, old);
    // Through a temporary file: the file keeps its content.
    EXPECT_EQ(UnderFileSizeLimit(2048, [&] { ProfileFile(path).WriteString("domino", "pwd", QString(3000, 'p')); }), 0);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"system.ini"}) << "no temporary file is left";
    // In place: the old content is put back.
    EXPECT_EQ(UnderFileSizeLimit(2048, [&] { RewriteInPlace(path, QByteArray(3000, 'n'), old); }), 0);
    EXPECT_EQ(ReadBytes(path), old);
    // When even that fails, the error says so.
    const QByteArray big(3000, 'b');
    WriteAll(path, big);
    std::string message;
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{2048, 2048};
        ::setrlimit(RLIMIT_FSIZE, &size);
        try {
            RewriteInPlace(path, QByteArray(4000, 'n'), big);
        } catch (const WholeFileError& e) {
            ::_exit(std::string(e.what()).find("未能恢复原样") != std::string::npos ? 0 : 1);
        }
        ::_exit(2);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ProfileFile, AWriteChangesOnlyItsLineAndGoesThroughLinks) {
    QTemporaryDir dir;
    const QString target = dir.filePath("real.ini");
    // 0x80, a broken byte pair and UTF-8 text: bytes GB18030 does not decode as they stand.
    const QByteArray odd = "a=\x80\r\nb=\xB7\r\nc=" + QStringLiteral("服务器").toUtf8() + "\n[ domino ]\nkey=1";
    WriteAll(target, odd);
    const QString link = dir.filePath("system.ini");
    ASSERT_TRUE(QFile::link(target, link));
    WriteAll(dir.filePath("system.ini.tmp"), "someone else's");
    ProfileFile(link).WriteString("domino", "key", "2");
    ProfileFile(link).WriteString("domino", "new", "3");
    ProfileFile(link).WriteString("other", "x", "4");
    EXPECT_EQ(ReadBytes(target), "a=\x80\r\nb=\xB7\r\nc=" + QStringLiteral("服务器").toUtf8() +
                                     "\n[ domino ]\nkey=2\r\nnew=3\r\n[other]\r\nx=4\r\n");
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link";
    EXPECT_EQ(ReadBytes(dir.filePath("system.ini.tmp")), "someone else's");
}

TEST(ProfileFile, CornersReadAsTheSystemReadsThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    WriteAll(path, "early=0\r\n[a]b]\r\nk=1\r\n[ domino]\r\n;key=2\r\n server =3\r\n");
    ProfileFile ini(path);
    EXPECT_EQ(ini.ReadString("", "early", ""), "0") << "a key before the first section";
    EXPECT_EQ(ini.ReadString("a]b", "k", ""), "1") << "a section name runs to the last ]";
    EXPECT_EQ(ini.ReadString("domino", ";key", ""), "2");
    EXPECT_EQ(ini.ReadString(" domino ", "server", ""), "3");
}

TEST(ProfileFile, WritingCreatesInOrderAndKeepsOtherLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("system.ini");
    ProfileFile ini(path);
    ini.WriteString("domino", "server", "S1");
    ini.WriteString("domino", "username", "张三");
    ini.WriteString("domino", "pwd", "p");
    EXPECT_EQ(ReadGb18030(path), "[domino]\r\nserver=S1\r\nusername=张三\r\npwd=p\r\n");
    const auto perms = std::filesystem::status(path.toStdString()).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "the file holds a password";

    WriteAll(path, "; keep me\r\n[Other]\r\na=1\r\n\r\n[Domino]\r\nSERVER=old\r\nextra=2\r\n\r\n[Tail]\r\nb=3\r\n");
    ini.WriteString("domino", "server", "new");
    ini.WriteString("domino", "pwd", "secret");
    EXPECT_EQ(ReadGb18030(path),
              "; keep me\r\n[Other]\r\na=1\r\n\r\n[Domino]\r\nSERVER=new\r\nextra=2\r\npwd=secret\r\n"
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
    EXPECT_EQ(ReadGb18030(path), "[domino]\nserver=old\n");

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
