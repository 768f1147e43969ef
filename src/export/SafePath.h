// Names from Domino data (view, attachment, object and field names) made safe as parts of paths:
// they never lead outside the folder they are meant for, and a name that the file system would
// refuse becomes one it takes.
#pragma once

#include <QHash>
#include <QSet>
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

// The files of one folder: each name from the data gets a safe file name there, and two
// different names never get the same file (the second becomes "name (2).ext"); the same name
// again gets its first file. Letter case does not tell files apart, as on Windows.
class FolderNames {
public:
    // reserved: file names the folder keeps for files of its own (they are never given out).
    explicit FolderNames(std::function<bool(const QString&)> reserved = {}) : m_reserved(std::move(reserved)) {}

    QString fileFor(const QString& name);
    // Marks a file name as taken by a file the folder holds for another purpose.
    void reserve(const QString& fileName) { m_taken.insert(fileName.toCaseFolded()); }

private:
    QHash<QString, QString> m_files; // name from the data -> file name
    QSet<QString> m_taken;           // file names in use, case-folded
    std::function<bool(const QString&)> m_reserved;
};
