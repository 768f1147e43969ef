// A local-store installation in a temporary folder: program folder with the component file and
// notes.ini, data folder with a Domino Directory holding one person, and the registry keys that
// point at it.
#pragma once

#include "platform/ComClassFactory.h"
#include "platform/Registry.h"
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

    explicit StoreInstallation(const QString& serverName = "CN=Test01/O=Org") {
        QDir().mkpath(programDir);
        QDir().mkpath(dataDir);
        PortableComClassFactory::WriteComponentFile(Path(programDir + "/nlsxbe.dll"), store::kComponentKind);
        QFile ini(programDir + "/notes.ini");
        if (ini.open(QIODevice::WriteOnly))
            ini.write(("[Notes]\nDirectory=" + dataDir + "\nServerName=" + serverName + "\n").toUtf8());
        const QByteArray names = R"({"title": "Directory", "documents": [{"form": "Person", "items": [
            {"name": "Form", "value": "Person"},
            {"name": "FullName", "value": ["CN=王芳/O=Org", "王芳/Org"]},
            {"name": "ShortName", "value": "wangfang"},
            {"name": "HTTPPassword", "type": "password", "value": "s3cret"}]}]})";
        store::CreateDatabaseFromJson(Path(dataDir + "/names.nsf"), names, Path(dataDir));
    }

    // Registers the installation as a Domino server and its component as the session class.
    void Register(IRegistry& registry) const {
        auto domino = registry.CreateKey(u"Software\\Lotus\\Domino");
        domino->WriteString(u"Path", programDir.toStdU16String());
        domino->WriteString(u"DataPath", dataDir.toStdU16String());
        registry.CreateKey(PortableComClassFactory::InprocServerKey(u"{29131539-2EED-1069-BF5D-00DD011186B7}"))
            ->WriteString(u"", (programDir + "/nlsxbe.dll").toStdU16String());
    }

    static std::filesystem::path Path(const QString& path) { return std::filesystem::path(path.toStdU16String()); }
};
