// Names from Domino data (view, attachment, object and field names) made safe as parts of paths:
// they never lead outside the folder they are meant for, and a name that the file system would
// refuse becomes one it takes.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// One file or folder name: separators, characters a file system refuses (< > : " / \ | ? *
// and control characters) and trailing dots and blanks become "_"; ".", ".." and an empty
// name become "_", "_.." and "_"; names Windows reserves for devices (CON, NUL, COM1, ...)
// gain a leading "_".
QString SafeFileName(const QString& name);

// A relative path of folders from a name whose "\" and "/" separate folder levels (a view name
// such as Sales\2024): each level made safe, empty levels left out.
QString SafeRelativePath(const QString& name);

// The file names of one folder's files, given the names the data gives them (in order): a name
// that is already a safe file name keeps it; a name that had to be made safe, and a name given
// again, takes the next free "name (2).ext". Letter case does not tell files apart, as on
// Windows; reserved file names (those the folder keeps for files of its own) are never given out.
QStringList AssignFileNames(const QStringList& names, const std::function<bool(const QString&)>& reserved = {});
