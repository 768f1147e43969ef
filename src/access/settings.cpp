#include "access/settings.h"

#include "platform/ProfileFile.h"

#include <QDir>

namespace {
const QString kSection = QStringLiteral("domino");
const QString kServer = QStringLiteral("server");
const QString kUserName = QStringLiteral("username");
const QString kPassword = QStringLiteral("pwd");
} // namespace

ConnectionSettings LoadSettings(const QString& iniPath, const std::function<QString()>& hostName) {
    const ProfileFile ini(iniPath);
    ConnectionSettings settings;
    settings.serverName = ini.ReadString(kSection, kServer, QString());
    settings.userName = ini.ReadString(kSection, kUserName, QString());
    settings.password = ini.ReadString(kSection, kPassword, QString());
    if (settings.serverName.isEmpty())
        settings.serverName = hostName();
    return settings;
}

void SaveSettings(const QString& iniPath, const ConnectionSettings& settings) {
    ProfileFile ini(iniPath);
    ini.WriteString(kSection, kServer, settings.serverName);
    ini.WriteString(kSection, kUserName, settings.userName);
    ini.WriteString(kSection, kPassword, settings.password);
}
