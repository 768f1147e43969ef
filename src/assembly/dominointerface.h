// Questions about the machine: is a Notes client or Domino server installed, where are its
// directories, this computer's host name; the one-time registration of the Domino Objects class
// to the installation's component file.
#pragma once

#include "access/VariantText.h" // IsIntegerText

#include <QCoreApplication>
#include <QString>

class IRegistry;
class IPrompter;

namespace dominointerface {

inline QString DirectoryMissing() {
    return QCoreApplication::translate("DominoInterface", "(找不到该目录)");
}
inline QString DominoNotInstalled() {
    return QCoreApplication::translate("DominoInterface", "没有安装Domino");
}
inline const QString kNotesKey = QStringLiteral("\\Software\\Lotus\\Notes");
inline const QString kDominoKey = QStringLiteral("\\Software\\Lotus\\Domino");
inline const QString kComponentFileName = QStringLiteral("nlsxbe.dll");

} // namespace dominointerface

bool IsNotesInstalled(IRegistry& registry);
bool IsDominoInstalled(IRegistry& registry);
// Program and data directories; a value that names no existing directory comes back with
// "(找不到该目录)" appended. Absent key: empty text (Notes), "没有安装Domino" (Domino).
QString GetNotesPath(IRegistry& registry);
QString GetDominoPath(IRegistry& registry);
QString GetDominoDataPath(IRegistry& registry);

// The component file of installation directory dir (dir used unchanged).
QString ComponentFilePath(const QString& dir);
// Points the Domino Objects class at dir's component file; always true.
bool RegisterDominoObjects(IRegistry& registry, IPrompter& prompter, const QString& dir);
// Has the component file register itself, reporting a missing file or a failure to register.
void RegisterComponentFile(IRegistry& registry, IPrompter& prompter, const QString& file);

// This computer's host name in upper case (ASCII letters only); empty when it has none.
QString GetLocalHostName();
