// Reading and writing the files a test checks, and keeping the working folder a call may change.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <filesystem>

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file as GB18030 text, the encoding of the program's profile files.
inline QString ReadGb18030(const QString& path) {
    return QStringDecoder("GB18030")(ReadBytes(path));
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline void WriteAll(const std::filesystem::path& file, const std::string& bytes) {
    WriteAll(QString::fromStdU16String(file.u16string()), QByteArray::fromStdString(bytes));
}

// Restores the working folder when the scope ends.
struct KeepCurrentDir {
    std::filesystem::path saved = std::filesystem::current_path();
    ~KeepCurrentDir() { std::filesystem::current_path(saved); }
};
