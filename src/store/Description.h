// Databases described in JSON, as nsftool's "create" takes them (format: README.md here).
#pragma once

#include "store/Note.h"

#include <QByteArray>
#include <QJsonObject>

#include <filesystem>

namespace store {

class DatabaseWriter;

// Creates (replaces) nsf from a JSON description; relative file names in it are resolved
// against baseDir. Raises std::runtime_error naming what is wrong; no file is left behind then.
// Returns the number of documents written.
int CreateDatabaseFromJson(const std::filesystem::path& nsf, const QByteArray& json,
                           const std::filesystem::path& baseDir);

// One view or document of a description.
ViewDef ViewFromJson(const QJsonObject& view);
NoteData NoteFromJson(const QJsonObject& document, const std::filesystem::path& baseDir);

// Width and height of GIF, PNG, JPEG or BMP bytes; zeros when unknown.
std::pair<int, int> PictureSize(std::string_view bytes);

} // namespace store
