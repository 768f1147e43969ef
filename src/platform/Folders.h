// Where the program keeps its settings (system.ini) and its stand-in registry (registry.reg).
#pragma once

#include <QString>

// Beside the executable in exeDir when that folder is the program's own (a build, a copy kept in
// a folder of its own); for an installed program, whose folder holds other programs and cannot be
// written by its users, the user's configuration folder ($XDG_CONFIG_HOME/verdanix, usually
// ~/.config/verdanix), created when missing.
QString SettingsFolder(const QString& exeDir);

// The settings file in a settings folder.
QString SettingsFilePath(const QString& settingsFolder);
