// A local-store installation in a temporary folder: program folder with the component file and
// notes.ini, data folder with (unless asked otherwise) a Domino Directory holding one person, and
// the registry keys that point at it.
#pragma once

#include "interfaces/DominoObjects.h"
#include "platform/PortableComClassFactory.h"
#include "store/DatabaseWriter.h"
#include "store/Description.h"
#include "store/LocalStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

struct StoreInstallation {
    static constexpr char kUser[] = "wangfang";
    static constexpr char kPassword[] = "s3cret";

    QTemporaryDir root;
    QString programDir = root.filePath("program");
    QString dataDir = root.filePath("data");

    explicit StoreInstallation(const QString& serverName = "CN=Test01/O=Org", bool withDirectory = true) {
        QDir().mkpath(programDir);
        QDir().mkpath(dataDir);
        PortableComClassFactory::WriteComponentFile(Path(programDir + "/nlsxbe.dll"), store::kComponentKind);
        WriteNotesIni("Directory=" + dataDir + "\nServerName=" + serverName + "\n");
        if (!withDirectory)
            return;
        const QByteArray names = R"({"title": "Directory", "documents": [{"form": "Person", "items": [
            {"name": "Form", "value": "Person"},
            {"name": "FullName", "value": ["CN=王芳/O=Org", "王芳/Org"]},
            {"name": "ShortName", "value": "wangfang"},
            {"name": "HTTPPassword", "type": "password", "value": "s3cret"}]}]})";
        store::CreateDatabaseFromJson(Path(dataDir + "/names.nsf"), names, Path(dataDir));
    }

    // Replaces notes.ini with its [Notes] section holding lines.
    void WriteNotesIni(const QString& lines) const {
        QFile ini(programDir + "/notes.ini");
        if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            ini.write(("[Notes]\n" + lines).toUtf8());
    }

    // Creates data/<relative> (and its folders) with views and notes; the notes' universal IDs.
    std::vector<std::u16string> MakeDatabase(const QString& relative, const std::vector<store::ViewDef>& views,
                                             std::vector<store::NoteData> notes) const {
        const auto file = QDir::isAbsolutePath(relative) ? Path(relative) : Path(dataDir + "/" + relative);
        std::filesystem::create_directories(file.parent_path());
        auto writer = store::DatabaseWriter::Create(file, u"test");
        for (const auto& view : views)
            writer->addView(view);
        std::vector<std::u16string> unids;
        for (auto& note : notes)
            unids.push_back(writer->addNote(std::move(note)));
        writer->commit();
        return unids;
    }

    // Registers the installation as a Domino server and its component as the session class.
    void Register(IRegistry& registry) const {
        auto domino = registry.CreateKey(u"Software\\Lotus\\Domino");
        domino->WriteString(u"Path", programDir.toStdU16String());
        domino->WriteString(u"DataPath", dataDir.toStdU16String());
        registry.CreateKey(PortableComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
            ->WriteString(u"", (programDir + "/nlsxbe.dll").toStdU16String());
    }

    static std::filesystem::path Path(const QString& path) { return std::filesystem::path(path.toStdU16String()); }
};
