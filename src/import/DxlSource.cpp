#include "import/DxlSource.h"

#include "import/ReportText.h"
#include "platform/WholeFile.h"

#include "interfaces/FileSystem.h"
#include "store/OleTime.h"
#include "store/StoreFile.h"

#include <QDate>

#include <algorithm>
#include <cctype>

namespace importer::dxl {

using namespace store;

namespace fs = std::filesystem;

// Base64 as DXL writes it: the alphabet, padding and line breaks. Anything else is dropped when
// decoding, which the import reports.
bool IsCleanBase64(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'+' ||
                        u == u'/' || u == u'=' || u == u' ' || u == u'\t' || u == u'\r' || u == u'\n';
        if (!ok)
            return false;
    }
    return true;
}

// DXL date-time text: 20240101T120000,00+08 (the zone, "+hh", "+hhmm" or "Z", is left aside, so
// the time stays as written), 20240101 for a date, T120000,00 for a time of day.
std::optional<double> ParseDateTime(QStringView text) {
    text = text.trimmed();
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, centis = 0;
    const auto number = [&text](qsizetype from, qsizetype length, int& out) {
        if (from + length > text.size())
            return false;
        bool ok = false;
        out = text.mid(from, length).toInt(&ok);
        return ok;
    };
    qsizetype t = text.indexOf(u'T');
    if (t != 0) {
        if (!number(0, 4, year) || !number(4, 2, month) || !number(6, 2, day))
            return std::nullopt;
        if (t < 0)
            t = 8;
    }
    if (t < text.size() && text[t] == u'T') {
        if (!number(t + 1, 2, hour) || !number(t + 3, 2, minute) || !number(t + 5, 2, second))
            return std::nullopt;
        if (t + 7 < text.size() && text[t + 7] == u',')
            number(t + 8, 2, centis);
    }
    // A date that is no day of the calendar (20240230, 00000101) is not one.
    if (t != 0 && (year < 100 || !QDate::isValid(year, month, day)))
        return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return ToOleDate(year, month, day, hour, minute, second, centis * 10);
}

// The text of a MIME part item (rawitemdata type 19): the part's record header (20 bytes)
// dropped, headers and body kept, a quoted-printable body decoded.
std::u16string MimePartText(const QByteArray& raw) {
    if (raw.size() <= 20)
        return {};
    QByteArray text = raw.mid(20);
    const qsizetype bodyStart = text.indexOf("\r\n\r\n");
    if (bodyStart >= 0 && text.left(bodyStart).toLower().contains("quoted-printable")) {
        const QByteArray body = text.mid(bodyStart + 4);
        QByteArray decoded;
        decoded.reserve(body.size());
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body[i] != '=') {
                decoded += body[i];
            } else if (i + 2 < body.size() && body[i + 1] == '\r' && body[i + 2] == '\n') {
                i += 2; // a soft line break
            } else if (i + 2 < body.size()) {
                bool ok = false;
                const int byte = body.mid(i + 1, 2).toInt(&ok, 16);
                decoded += ok ? static_cast<char>(byte) : '=';
                i += ok ? 2 : 0;
            }
        }
        text = text.left(bodyStart + 4) + decoded;
    }
    return QString::fromUtf8(text).toStdU16String();
}

// The readable text of a mail header item (rawitemdata type 502): after a 14-byte record header
// whose fourth 16-bit field is its length.
std::optional<std::u16string> Rfc822Text(const QByteArray& raw) {
    if (raw.size() < 14)
        return std::nullopt;
    const auto length = static_cast<qsizetype>(static_cast<uint8_t>(raw[6]) | static_cast<uint8_t>(raw[7]) << 8);
    if (14 + length > raw.size())
        return std::nullopt;
    return QString::fromUtf8(raw.mid(14, length)).toStdU16String();
}

bool IsMailItem(int rawType) {
    return rawType == kMimePart || rawType == kRfc822Text;
}

// Where the first byte sequence that is not UTF-8 stands in a file that is UTF-8 (it declares no
// other encoding and has no UTF-16 mark): line and column (in characters), from 1. Nothing when
// the file is sound or in another encoding.
std::optional<std::pair<int64_t, int64_t>> FirstInvalidUtf8(QIODevice& input) {
    if (!input.seek(0))
        return std::nullopt;
    const QByteArray head = input.peek(256);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return std::nullopt;
    if (head.startsWith("<?xml")) {
        const QByteArray declaration = head.left(head.indexOf("?>")).toLower();
        const auto at = declaration.indexOf("encoding");
        if (at >= 0 && !declaration.mid(at).contains("utf-8") && !declaration.mid(at).contains("utf8"))
            return std::nullopt;
    }
    int64_t line = 1, column = 1;
    int pending = 0; // continuation bytes still to come
    uint32_t lowest = 0, value = 0;
    char buffer[65536];
    for (qint64 n; (n = input.read(buffer, sizeof buffer)) > 0;) {
        for (qint64 i = 0; i < n; ++i) {
            const auto b = static_cast<unsigned char>(buffer[i]);
            if (pending > 0) {
                if ((b & 0xC0) != 0x80)
                    return std::pair(line, column);
                value = value << 6 | (b & 0x3F);
                if (--pending == 0) {
                    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                        return std::pair(line, column);
                    ++column;
                }
                continue;
            }
            if (b < 0x80) {
                if (b == '\n') {
                    ++line;
                    column = 1;
                } else {
                    ++column;
                }
            } else if ((b & 0xE0) == 0xC0) {
                pending = 1, lowest = 0x80, value = b & 0x1F;
            } else if ((b & 0xF0) == 0xE0) {
                pending = 2, lowest = 0x800, value = b & 0x0F;
            } else if ((b & 0xF8) == 0xF0) {
                pending = 3, lowest = 0x10000, value = b & 0x07;
            } else {
                return std::pair(line, column);
            }
        }
    }
    if (pending > 0)
        return std::pair(line, column);
    return std::nullopt;
}

std::vector<fs::path> InputFiles(const std::vector<fs::path>& inputs) {
    std::vector<fs::path> files;
    for (const auto& input : inputs) {
        std::error_code ec;
        if (!fs::is_directory(input, ec)) {
            files.push_back(input);
            continue;
        }
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(input, ec)) {
            const auto extension = PathText(entry.path().extension());
            if (entry.is_regular_file(ec) &&
                (extension == ".xml" || extension == ".dxl" || extension == ".XML" || extension == ".DXL"))
                found.push_back(entry.path());
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

// Why target cannot take the import, or nothing: it names a database file (".nsf"), and what stands
// there already is a store database, so that a mistaken argument (a DXL file, a folder) is never
// overwritten.
std::optional<std::string> TargetProblem(const fs::path& target) {
    std::string extension = PathText(target.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".nsf")
        return report_text::TargetNotNamedNsf(QtPath(target)).toStdString();
    std::error_code ec;
    const auto status = fs::symlink_status(target, ec);
    if (!fs::exists(status))
        return std::nullopt;
    if (!fs::is_regular_file(fs::status(target, ec)))
        return report_text::TargetNotAFile(QtPath(target)).toStdString();
    try {
        OpenDatabaseFile(target);
    } catch (const std::exception&) {
        return report_text::TargetNotAStoreDatabase(QtPath(target)).toStdString();
    }
    return std::nullopt;
}

// The files a database being written keeps beside it.
void RemoveWorkFiles(const fs::path& work) {
    std::error_code ec;
    fs::remove(work, ec);
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        fs::remove(fs::path(work) += suffix, ec);
}

} // namespace importer::dxl
