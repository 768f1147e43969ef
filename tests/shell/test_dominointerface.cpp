#include "support/Files.h"
#include "support/RecordingPrompter.h"
#include "support/SessionClassKey.h"

#include "access/Domino_TLB.h"
#include "assembly/BackEnds.h"
#include "assembly/dominointerface.h"
#include "platform/PortableComClassFactory.h"
#include "platform/PortableRegistry.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

void SetValue(MemoryRegistry& registry, const std::u16string& key, const std::u16string& name, const QString& value) {
    registry.CreateKey(key)->WriteString(name, value.toStdU16String());
}

} // namespace

TEST(InstallationProbe, DirectoryResultsForPresentAbsentAndDeniedKeys) {
    QTemporaryDir dir;
    const QString gone = dir.filePath("deleted");
    MemoryRegistry registry;

    EXPECT_FALSE(IsNotesInstalled(registry));
    EXPECT_FALSE(IsDominoInstalled(registry));
    EXPECT_EQ(GetNotesPath(registry), "");
    EXPECT_EQ(GetDominoPath(registry), "没有安装Domino");
    EXPECT_EQ(GetDominoDataPath(registry), "没有安装Domino");

    registry.CreateKey(u"Software\\Lotus\\Notes");
    EXPECT_TRUE(IsNotesInstalled(registry));
    EXPECT_EQ(GetNotesPath(registry), "(找不到该目录)") << "key without a Path value";
    EXPECT_EQ(GetDominoDataPath(registry), "没有安装Domino") << "only the Notes client";

    SetValue(registry, u"Software\\Lotus\\Domino", u"Path", dir.path());
    SetValue(registry, u"Software\\Lotus\\Domino", u"DataPath", gone);
    EXPECT_TRUE(IsDominoInstalled(registry));
    EXPECT_EQ(GetDominoPath(registry), dir.path());
    EXPECT_EQ(GetDominoDataPath(registry), gone + "(找不到该目录)");

    registry.deniedKeys[u"Software\\Lotus\\Domino"] = true;
    EXPECT_FALSE(IsDominoInstalled(registry)) << "a key that refuses all access counts as absent";
    EXPECT_EQ(GetDominoDataPath(registry), "没有安装Domino");
}

TEST(ComponentRegistration, RewritesTheClassKeyOnlyWhenItDiffers) {
    QTemporaryDir dir;
    const QString file = ComponentFilePath(dir.path());
    PortableComClassFactory::WriteComponentFile(file.toStdString(), "LocalDominoStore");
    RecordingPrompter prompter;

    struct Case {
        const char* name;
        QString stored;
        QString expected;
    } cases[] = {
        {"equal value is left alone", file, file},
        {"other letter case is rewritten", file.toUpper(), file},
        {"another installation is re-pointed", "/elsewhere/nlsxbe.dll", file},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        SetValue(registry, kSessionClassKey, u"", c.stored);
        EXPECT_TRUE(RegisterDominoObjects(registry, prompter, dir.path()));
        EXPECT_EQ(QString::fromStdU16String(*registry.OpenKey(kSessionClassKey)->ReadString(u"")), c.expected)
            << c.name;
    }

    MemoryRegistry missingFile;
    SetValue(missingFile, kSessionClassKey, u"", "/old/nlsxbe.dll");
    RegisterDominoObjects(missingFile, prompter, dir.filePath("nowhere"));
    EXPECT_EQ(*missingFile.OpenKey(kSessionClassKey)->ReadString(u""), u"/old/nlsxbe.dll") << "F does not exist";
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(ComponentRegistration, AbsentKeySelfRegistersFromTheInstallationDirectory) {
    KeepCurrentDir keep;
    QTemporaryDir dir;
    const QString file = ComponentFilePath(dir.path());
    RecordingPrompter prompter;

    MemoryRegistry noComponent;
    RegisterDominoObjects(noComponent, prompter, dir.path());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(
        prompter.messages[0].text.startsWith("找不到您系统上Domino的一个关键组件，请确认您的Domino或NOtes安装正常!"));
    EXPECT_EQ(prompter.messages[0].caption, "VerdanixV3.2");

    PortableComClassFactory::WriteComponentFile(file.toStdString(), "LocalDominoStore");
    MemoryRegistry registry;
    RegisterDominoObjects(registry, prompter, dir.path());
    ASSERT_TRUE(registry.OpenKey(kSessionClassKey));
    EXPECT_EQ(QString::fromStdU16String(*registry.OpenKey(kSessionClassKey)->ReadString(u"")), file);
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path()).canonicalPath());

    MemoryRegistry missingDir;
    prompter.messages.clear();
    RegisterDominoObjects(missingDir, prompter, dir.path() + "(找不到该目录)");
    EXPECT_TRUE(prompter.messages.empty()) << "a directory that does not exist registers nothing, silently";
}

TEST(ComponentRegistration, FailureToRegisterShowsTheSecondMessage) {
    KeepCurrentDir keep;
    QTemporaryDir dir;
    const QString file = ComponentFilePath(dir.path());
    PortableComClassFactory::WriteComponentFile(file.toStdString(), "LocalDominoStore");
    // A registry file in a folder that cannot be written.
    FileRegistry registry(std::filesystem::path(dir.filePath("no/such/dir/registry.reg").toStdString()));
    RecordingPrompter prompter;
    RegisterComponentFile(registry, prompter, file);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].text.startsWith("您好，系统在注册domino组件时失败，或许是您的系统对权限的限制，"));
}

// With nothing installed the program runs on its own installation: found by the probe, with an
// empty data folder, and no server to log on to; a registered installation wins.
TEST(OwnInstallation, StandsInWhereNothingIsInstalledAndHasNoServer) {
    QTemporaryDir settings;
    {
        BackEnds backEnds(settings.path());
        EXPECT_TRUE(backEnds.ownInstallationProblem().isEmpty());
        ASSERT_TRUE(IsDominoInstalled(backEnds.registry()));
        const QString data = QDir::toNativeSeparators(settings.filePath("own-installation/data"));
        EXPECT_EQ(GetDominoDataPath(backEnds.registry()), data);
        EXPECT_TRUE(QDir(data).isEmpty());
        TNotesSession session(backEnds.comFactory());
        EXPECT_ANY_THROW(session.InitializeUsingNotesUserName(u"Zhang Wei", u"pw"));
    }
    WriteAll(settings.filePath("registry.reg"), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Lotus\\Notes]\n");
    BackEnds withNotes(settings.path());
    EXPECT_TRUE(IsNotesInstalled(withNotes.registry()));
    EXPECT_FALSE(IsDominoInstalled(withNotes.registry()));

    QTemporaryDir blocked;
    WriteAll(blocked.filePath("own-installation"), "a file where the folder goes");
    BackEnds failing(blocked.path());
    EXPECT_TRUE(failing.ownInstallationProblem().contains("own-installation"));
    EXPECT_FALSE(IsDominoInstalled(failing.registry()));
}

TEST(LocalHostName, IsThisComputersNameInUpperCase) {
    const QString name = GetLocalHostName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(name, name.toUpper());
}
