// What the DXL import reads, apart from the XML itself: the values DXL writes as text (date-times,
// base64, mail items), the encoding of the files, and which files and target an import takes.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QStringView>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace importer::dxl {

constexpr int kMimePart = 19;    // rawitemdata type of a MIME part
constexpr int kRfc822Text = 502; // rawitemdata type of a mail header kept as it came

// Base64 as DXL writes it: the alphabet, padding and line breaks. Anything else is dropped when
// decoding, which the import reports.
bool IsCleanBase64(QStringView text);
// DXL date-time text: 20240101T120000,00+08 (the zone, "+hh", "+hhmm" or "Z", is left aside, so
// the time stays as written), 20240101 for a date, T120000,00 for a time of day. Nothing for a
// text that is none, or a date that is no day of the calendar.
std::optional<double> ParseDateTime(QStringView text);
// The text of a MIME part item (rawitemdata type 19): the part's record header (20 bytes)
// dropped, headers and body kept, a quoted-printable body decoded.
std::u16string MimePartText(const QByteArray& raw);
// The readable text of a mail header item (rawitemdata type 502); nothing when it is damaged.
std::optional<std::u16string> Rfc822Text(const QByteArray& raw);
bool IsMailItem(int rawType);

// Where the first byte sequence that is not UTF-8 stands in a file that is UTF-8 (it declares no
// other encoding and has no UTF-16 mark): line and column (in characters), from 1. Nothing when
// the file is sound or in another encoding.
std::optional<std::pair<int64_t, int64_t>> FirstInvalidUtf8(QIODevice& input);

// The DXL files of the inputs: a folder stands for its *.xml and *.dxl files, in name order.
std::vector<std::filesystem::path> InputFiles(const std::vector<std::filesystem::path>& inputs);
// Why target cannot take the import, or nothing: it names a database file (".nsf"), and what
// stands there already is a store database, so that a mistaken argument (a DXL file, a folder)
// is never overwritten.
std::optional<std::string> TargetProblem(const std::filesystem::path& target);
// Removes a database being written and the files kept beside it.
void RemoveWorkFiles(const std::filesystem::path& work);

} // namespace importer::dxl
