#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SettingsFolder(const QString& exeDir) {
#ifdef VERDANIX_INSTALLED_BIN
    const bool installed = QDir(exeDir) == QDir(QStringLiteral(VERDANIX_INSTALLED_BIN));
#else
    const bool installed = false;
#endif
    if (!installed && QFileInfo(exeDir).isWritable())
        return exeDir;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/verdanix");
    QDir().mkpath(folder);
    return folder;
}

QString SettingsFilePath(const QString& settingsFolder) {
    return QDir(settingsFolder).filePath(QStringLiteral("system.ini"));
}
