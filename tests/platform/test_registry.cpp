#include "platform/PortableRegistry.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

const char* kExport = "REGEDIT4\n\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Lotus\\Domino]\n"
                      "\"Path\"=\"C:\\\\Lotus\\\\Domino\"\n"
                      "\"DataPath\"=\"C:\\\\Lotus\\\\Domino\\\\Data\"\n"
                      "\"Build\"=dword:00000009\n"
                      "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{X}\\InprocServer32]\n"
                      "@=\"C:\\\\a \\\"b\\\"\\\\nlsxbe.dll\"\n";

} // namespace

TEST(Registry, ParsesExportTextWithEscapesAndDefaultValues) {
    MemoryRegistry registry;
    registry.data = RegistryData::Parse(kExport);
    auto domino = registry.OpenKey(u"\\software\\LOTUS\\domino");
    ASSERT_TRUE(domino);
    EXPECT_EQ(domino->ReadString(u"path").value(), u"C:\\Lotus\\Domino");
    EXPECT_EQ(domino->ReadString(u"DataPath").value(), u"C:\\Lotus\\Domino\\Data");
    EXPECT_FALSE(domino->ReadString(u"Build")) << "a dword is not a string value";
    EXPECT_FALSE(domino->ReadString(u"Missing"));
    auto cls = registry.OpenKey(u"SOFTWARE\\Classes\\CLSID\\{X}\\InprocServer32");
    ASSERT_TRUE(cls);
    EXPECT_EQ(cls->ReadString(u"").value(), u"C:\\a \"b\"\\nlsxbe.dll");
    EXPECT_FALSE(registry.OpenKey(u"Software\\Lotus\\Notes"));
}

TEST(Registry, SerializeRoundTripKeepsValuesOfOtherKinds) {
    const auto data = RegistryData::Parse(kExport);
    const auto again = RegistryData::Parse(data.Serialize());
    EXPECT_EQ(again.keys, data.keys);
    EXPECT_NE(data.Serialize().find("\"Build\"=dword:00000009"), std::string::npos);
}

TEST(Registry, DeniedKeyCountsAsAbsent) {
    MemoryRegistry registry;
    registry.CreateKey(u"Software\\Lotus\\Notes");
    registry.deniedKeys[u"\\Software\\Lotus\\Notes"] = true;
    EXPECT_FALSE(registry.OpenKey(u"\\Software\\Lotus\\Notes"));
}

TEST(FileRegistry, OpensOnlyAFileThatCanBeReadAndWritten) {
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "registry.reg";
    FileRegistry registry(file);
    EXPECT_FALSE(registry.OpenKey(u"Software\\Lotus\\Domino")) << "missing file";

    WriteText(file, kExport);
    EXPECT_TRUE(registry.OpenKey(u"Software\\Lotus\\Domino"));

    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(registry.OpenKey(u"Software\\Lotus\\Domino")) << "read-only file";

    fs::permissions(file, fs::perms::owner_write);
    EXPECT_FALSE(registry.OpenKey(u"Software\\Lotus\\Domino")) << "unreadable file";
}

TEST(FileRegistry, WritesGoToTheFileAndKeepOtherKeys) {
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "registry.reg";
    WriteText(file, kExport);
    FileRegistry registry(file);
    {
        auto key = registry.CreateKey(u"SOFTWARE\\Classes\\CLSID\\{Y}\\InprocServer32");
        key->WriteString(u"", u"/opt/程序/nlsxbe.dll");
    }
    FileRegistry reread(file);
    EXPECT_EQ(reread.OpenKey(u"software\\classes\\clsid\\{y}\\inprocserver32")->ReadString(u"").value(),
              u"/opt/程序/nlsxbe.dll");
    EXPECT_EQ(reread.OpenKey(u"Software\\Lotus\\Domino")->ReadString(u"Path").value(), u"C:\\Lotus\\Domino");
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

// Inputs that once corrupted the file when it was written back.
TEST(Registry, WritingBackKeepsEveryValue) {
    const auto rewrite = [](const std::string& text, const std::u16string& name, const std::u16string& value) {
        MemoryRegistry registry;
        registry.data = RegistryData::Parse(text);
        registry.CreateKey(u"a")->WriteString(name, value);
        return RegistryData::Parse(registry.data.Serialize());
    };
    // A hex value cut off after its continuation mark, at the end of the file or before a blank line.
    for (const char* text : {"[HKEY_LOCAL_MACHINE\\a]\n\"c\"=\"x\"\n\"b\"=hex:01,\\",
                             "[HKEY_LOCAL_MACHINE\\a]\n\"b\"=hex:01,\\\n\n\"c\"=\"x\"\n"}) {
        const auto data = rewrite(text, u"d", u"y");
        const auto& values = data.keys.at(u"a");
        EXPECT_EQ(values.at(u"c"), (RegistryValue{u"x", false})) << text;
        EXPECT_EQ(values.at(u"b"), (RegistryValue{u"hex:01,", true})) << text;
    }
    // String values with line breaks, and one that starts with U+0001, come back as written.
    for (const std::u16string& value : {std::u16string(u"pw\n[evil]\r\nserver=X"), std::u16string(u"\x01raw")}) {
        MemoryRegistry registry;
        registry.data = rewrite("REGEDIT4\n", u"v", value);
        EXPECT_EQ(registry.OpenKey(u"a")->ReadString(u"v"), value);
    }
}
