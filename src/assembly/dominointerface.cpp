#include "assembly/dominointerface.h"

#include "access/AppText.h"
#include "interfaces/DominoObjects.h"
#include "interfaces/Registry.h"
#include "platform/PortableComClassFactory.h"
#include "platform/System.h"

#include <QDir>
#include <QFileInfo>

#include <QCoreApplication>
#include <filesystem>

using namespace dominointerface;

namespace {

std::unique_ptr<IRegistryKey> Open(IRegistry& registry, const QString& key) {
    return registry.OpenKey(key.toStdU16String());
}

QString MarkMissing(const QString& dir) {
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        return dir;
    return dir + DirectoryMissing();
}

// Reads a directory value of key; absent when the key does not open.
QString DirectoryQuery(IRegistry& registry, const QString& key, const QString& value, const QString& absent) {
    auto opened = Open(registry, key);
    if (!opened)
        return absent;
    const QString dir = QString::fromStdU16String(opened->ReadString(value.toStdU16String()).value_or(u""));
    return MarkMissing(dir);
}

bool IsFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

bool IsNotesInstalled(IRegistry& registry) {
    return Open(registry, kNotesKey) != nullptr;
}

bool IsDominoInstalled(IRegistry& registry) {
    return Open(registry, kDominoKey) != nullptr;
}

QString GetNotesPath(IRegistry& registry) {
    return DirectoryQuery(registry, kNotesKey, QStringLiteral("Path"), QString());
}

QString GetDominoPath(IRegistry& registry) {
    return DirectoryQuery(registry, kDominoKey, QStringLiteral("Path"), DominoNotInstalled());
}

QString GetDominoDataPath(IRegistry& registry) {
    return DirectoryQuery(registry, kDominoKey, QStringLiteral("DataPath"), DominoNotInstalled());
}

QString ComponentFilePath(const QString& dir) {
    return dir + QDir::separator() + kComponentFileName;
}

bool RegisterDominoObjects(IRegistry& registry, IPrompter& prompter, const QString& dir) {
    const QString file = ComponentFilePath(dir);
    if (auto key = registry.OpenKey(IComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))) {
        const auto current = key->ReadString(u"").value_or(u"");
        if (IsFile(file) && current != file.toStdU16String()) {
            try {
                key->WriteString(u"", file.toStdU16String());
            } catch (const RegistryError&) {
                // Same as a key that cannot be written to on Windows: registration is left as it was.
            }
        }
        return true;
    }
    std::error_code ec;
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return true;
    std::filesystem::current_path(dir.toStdU16String(), ec);
    if (!ec)
        RegisterComponentFile(registry, prompter, file);
    return true;
}

void RegisterComponentFile(IRegistry& registry, IPrompter& prompter, const QString& file) {
    if (!IsFile(file)) {
        ShowMessage(prompter,
                    QCoreApplication::translate(
                        "DominoInterface", "找不到您系统上Domino的一个关键组件，请确认您的Domino或NOtes安装正常!") +
                        app_text::ContactSupplier());
        return;
    }
    try {
        SelfRegisterComponent(registry, file.toStdU16String(), domino_ids::kNotesSessionClass);
    } catch (const std::exception&) {
        ShowMessage(prompter, QCoreApplication::translate(
                                  "DominoInterface", "您好，系统在注册domino组件时失败，或许是您的系统对权限的限制，") +
                                  app_text::ContactSupplier());
    }
}

QString GetLocalHostName() {
    QString name = QString::fromStdString(platform::LocalHostName());
    for (auto& c : name) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return name;
}
