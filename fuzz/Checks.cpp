#include "Checks.h"

#include "import/Import.h"
#include "interfaces/DominoObjects.h"
#include "platform/ProfileFile.h"
#include "platform/PortableRegistry.h"
#include "store/Build.h"
#include "store/DatabaseWriter.h"
#include "store/Description.h"
#include "store/Formula.h"
#include "store/Fragment.h"
#include "store/LocalStore.h"
#include "store/RichText.h"
#include "xls/ByteSink.h"
#include "xls/Workbook.h"

#include "export/RichTextPictures.h"

#include "../tests/support/SharedStrings.h"
#include "../tests/support/StoreWalk.h"
#include "../tests/xls/BiffReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fuzz {

namespace {

namespace fs = std::filesystem;
using namespace store::build;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

void Expect(bool condition, const std::string& what) {
    if (!condition)
        Fail(what);
}

// A folder for the run's files, and a local store installation in it.
struct Workspace {
    QTemporaryDir dir;
    fs::path root = fs::path(dir.path().toStdU16String());
    fs::path program = root / "program";
    fs::path data = root / "data";
    std::shared_ptr<ISession> session;

    Workspace() {
        fs::create_directories(program);
        fs::create_directories(data);
        ::ProfileFile(QString::fromStdU16String((program / "notes.ini").u16string()))
            .WriteString(QStringLiteral("Notes"), QStringLiteral("Directory"),
                         QString::fromStdU16String(data.u16string()));
        session = store::CreateSession(program);
        session->Initialize(u"");
    }
    QString Path(const char* name) const { return QString::fromStdU16String((root / name).u16string()); }
};

Workspace& Work() {
    static Workspace workspace;
    return workspace;
}

void WriteFile(const fs::path& file, const uint8_t* data, size_t size) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Walks a database as the program does: views, their first documents, every item, rich text,
// attachments, embedded objects and DXL. Only the server's errors may come out of a call.
void WalkDatabase(const std::u16string& path) {
    try {
        storewalk::WalkDatabase(*Work().session, path, (Work().root / "extracted").u16string(), 20);
    } catch (const std::exception& e) {
        Fail(std::string("a call raised something other than the server's error: ") + e.what());
    }
}

// The keys a profile check looks at: the ones the program uses and a few others.
const std::pair<QString, QString> kProbes[] = {
    {"domino", "server"}, {"domino", "username"}, {"domino", "pwd"}, {"Notes", "Directory"}, {"a", "b"}, {"", ""}};

// The scan as the rule gives it, copying the text it shortens: the model the fast scan must match.
std::vector<std::pair<QString, QByteArray>> ModelScan(const QString& dxl) {
    static const std::tuple<QString, QString, QString> rows[] = {
        {"<gif>", "</gif>", "gif"},
        {"<gif originalformat='notesbitmap'>", "</gif>", "gif"},
        {"<jpeg>", "</jpeg>", "jpg"}};
    std::vector<std::pair<QString, QByteArray>> files;
    int counter = 0;
    for (const auto& [open, close, extension] : rows) {
        QString work = dxl;
        qsizetype p = work.indexOf(open) + 1, q = work.indexOf(close) + 1;
        while (p > 0) {
            if (q > 0) {
                const qsizetype length = q - p - open.size();
                const QString payload = length > 0 ? work.mid(p - 1 + open.size(), length) : QString();
                qsizetype bytes = payload.size();
                for (QChar c : payload)
                    bytes += c.unicode() >= 0x80 ? 1 : 0;
                if (bytes > 2500) {
                    files.emplace_back(QStringLiteral("RTF域图片%1.%2").arg(counter).arg(extension),
                                       QByteArray::fromBase64(payload.toLatin1()));
                    ++counter;
                }
                work.remove(0, q + 3);
            } else {
                work.remove(0, 3);
            }
            p = work.indexOf(open) + 1;
            q = work.indexOf(close) + 1;
        }
    }
    return files;
}

// A sound database to damage: views, documents with every kind of item, rich text with a picture
// and references, an attachment and an embedded object.
const std::string& GoodDatabase() {
    static const std::string bytes = [] {
        const fs::path file = Work().root / "good.nsf";
        auto writer = store::DatabaseWriter::Create(file, u"good");
        writer->addView(View(u"By subject", u"S", u"SELECT Form = \"M\"", {Column(u"Subject", u"Subject", 1)}));
        writer->addView(View(u"($All)", u"", u"SELECT @All", {FormulaColumn(u"F", u"@Text(N)")}));
        store::RichTextBuilder body;
        body.addParagraph(u"正文 text");
        body.addPicture("gif", std::string(2000, 'g'), 4, 4);
        body.addAttachmentRef(u"a.txt");
        body.addObjectRef(u"o.doc", u"Word.Document.8");
        for (int i = 0; i < 3; ++i) {
            store::NoteData note = Note(u"M", {TextItem(u"Subject", {u"主题", u"b"}), NumberItem(u"N", {i * 1.5}),
                                               DateItem(u"D", {45000.5}), TextItem(u"Who", {u"CN=A/O=B"}, 1074),
                                               RichItem(u"Body", body.fragment())});
            note.files = {FileObject(u"a.txt", "abc"), FileObject(u"o.doc", "o", store::file_kind::kObject, u"W")};
            writer->addNote(std::move(note));
        }
        writer->commit();
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

} // namespace

void ProfileFile(const uint8_t* data, size_t size) {
    const QString path = Work().Path("profile.ini");
    WriteFile(path.toStdU16String(), data, size);
    ::ProfileFile ini(path);
    std::vector<QString> before;
    for (const auto& [section, key] : kProbes)
        before.push_back(ini.ReadString(section, key, QStringLiteral("<none>")));
    const QString value = QStringLiteral("测试 value");
    try {
        ini.WriteString(QStringLiteral("domino"), QStringLiteral("server"), value);
    } catch (const ProfileWriteError&) {
        return; // not a file that can be written (a folder, ...)
    }
    for (size_t i = 0; i < std::size(kProbes); ++i) {
        const QString now = ini.ReadString(kProbes[i].first, kProbes[i].second, QStringLiteral("<none>"));
        const QString expected = i == 0 ? value : before[i];
        Expect(now == expected, "profile key " + kProbes[i].first.toStdString() + "/" +
                                    kProbes[i].second.toStdString() + " reads \"" + now.toStdString() +
                                    "\" instead of \"" + expected.toStdString() + "\" after the write");
    }
}

void RegistryFile(const uint8_t* data, size_t size) {
    const RegistryData parsed = RegistryData::Parse(std::string(reinterpret_cast<const char*>(data), size));
    Expect(RegistryData::Parse(parsed.Serialize()).keys == parsed.keys, "registry text changes when written back");
    MemoryRegistry registry;
    registry.data = parsed;
    registry.CreateKey(u"Software\\Verdanix")->WriteString(u"v", u"值\n\"x\"\\");
    const RegistryData again = RegistryData::Parse(registry.data.Serialize());
    MemoryRegistry reread;
    reread.data = again;
    Expect(reread.OpenKey(u"Software\\Verdanix")->ReadString(u"v") == u"值\n\"x\"\\",
           "a written registry value does not come back");
    for (const auto& [key, values] : parsed.keys)
        for (const auto& [name, value] : values) {
            const auto found = again.FindKey(key);
            Expect(found.has_value(), "a registry key disappears when a value is written");
            const auto& now = again.keys.at(*found);
            const bool written = *found == u"Software\\Verdanix" && name == u"v";
            Expect(written || (now.count(name) && now.at(name) == value), "a registry value changes");
        }
}

void StoreFile(const uint8_t* data, size_t size) {
    WriteFile(Work().data / "fuzz.nsf", data, size);
    WalkDatabase(u"fuzz.nsf");
}

void StoreCell(const uint8_t* data, size_t size) {
    if (size < 4)
        return;
    const std::string& good = GoodDatabase();
    const fs::path file = Work().data / "cell.nsf";
    WriteFile(file, reinterpret_cast<const uint8_t*>(good.data()), good.size());
    static const char* tables[] = {"meta", "notes", "items", "files", "views", "view_columns", "view_entries"};
    const char* table = tables[data[0] % std::size(tables)];
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    // The column named by the second byte in the row named by the third, given the rest as a value
    // of the kind the fourth byte names.
    sqlite3_stmt* info = nullptr;
    std::vector<std::string> columns;
    sqlite3_prepare_v2(db, (std::string("PRAGMA table_info(") + table + ")").c_str(), -1, &info, nullptr);
    while (info && sqlite3_step(info) == SQLITE_ROW)
        columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
    sqlite3_finalize(info);
    if (!columns.empty()) {
        const std::string column = columns[data[1] % columns.size()];
        const std::string sql = "UPDATE " + std::string(table) + " SET " + column + " = ?1 WHERE " + columns[0] +
                                " IN (SELECT " + columns[0] + " FROM " + table + " LIMIT 1 OFFSET " +
                                std::to_string(data[2] % 8) + ")";
        sqlite3_stmt* update = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &update, nullptr) == SQLITE_OK) {
            const auto* rest = reinterpret_cast<const char*>(data + 4);
            const int length = static_cast<int>(size - 4);
            int64_t integer = length;
            double real = -1.5;
            if (length >= 8) {
                std::memcpy(&integer, rest, 8);
                std::memcpy(&real, rest, 8);
            }
            switch (data[3] % 5) {
            case 0:
                sqlite3_bind_blob(update, 1, rest, length, SQLITE_TRANSIENT);
                break;
            case 1:
                sqlite3_bind_text(update, 1, rest, length, SQLITE_TRANSIENT);
                break;
            case 2:
                sqlite3_bind_int64(update, 1, integer);
                break;
            case 3:
                sqlite3_bind_double(update, 1, real);
                break;
            default:
                sqlite3_bind_null(update, 1);
                break;
            }
            sqlite3_step(update);
        }
        sqlite3_finalize(update);
    }
    sqlite3_close(db);
    WalkDatabase(u"cell.nsf");
}

void Description(const uint8_t* data, size_t size) {
    const fs::path file = Work().data / "described.nsf";
    fs::remove(file);
    try {
        store::CreateDatabaseFromJson(file,
                                      QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                                      Work().root / "no-files-here");
    } catch (const std::exception&) {
        Expect(!fs::exists(file), "a refused description leaves a database behind");
        return;
    }
    WalkDatabase(u"described.nsf");
}

void Formula(const uint8_t* data, size_t size) {
    const std::u16string text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    static const store::NoteData note = [] {
        store::NoteData n = Note(u"M", {TextItem(u"A", {u"x", u"y"}), NumberItem(u"N", {1, 2.5}),
                                        DateItem(u"D", {45000}), TextItem(u"Who", {u"CN=A/O=B"}, 1074)});
        n.unid = u"0123456789ABCDEF0123456789ABCDEF";
        n.files = {FileObject(u"a.txt", "a")};
        return n;
    }();
    try {
        const store::Formula formula(text);
        formula.evaluate(note);
        formula.evaluate(note, true);
        formula.selects(note);
    } catch (const store::FormulaError&) {
    }
}

void PictureScan(const uint8_t* data, size_t size) {
    if (size > 65536)
        return; // the model copies the text at every step
    const QString dxl = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<std::pair<QString, QByteArray>> files;
    ScanDxlPictures(dxl, [&files](const QString& name, const QByteArray& bytes) { files.emplace_back(name, bytes); });
    Expect(files == ModelScan(dxl), "the picture scan and its model write different files");
}

namespace {

// The events of a fragment as one text, runs of text joined.
class FragmentEvents : public store::fragment::Handler {
public:
    std::string events;

    void start(std::string_view name, std::string_view qualified,
               const std::vector<store::fragment::Attribute>& attributes) override {
        events += "\n<" + std::string(name) + '|' + std::string(qualified);
        for (const auto& attribute : attributes)
            events += ' ' + std::string(attribute.name) + "=[" + std::string(attribute.value) + ']';
        m_inText = false;
    }
    void end(std::string_view name, std::string_view qualified) override {
        events += "\n>" + std::string(name) + '|' + std::string(qualified);
        m_inText = false;
    }
    void text(std::string_view text) override {
        if (!std::exchange(m_inText, true))
            events += "\n\"";
        events += text;
    }

private:
    bool m_inText = false;
};

} // namespace

void RichTextFragment(const uint8_t* data, size_t size) {
    const std::string_view fragment(reinterpret_cast<const char*>(data), size);
    FragmentEvents plain, qt;
    if (!store::fragment::ReadPlain(fragment, plain)) {
        Expect(plain.events.empty(), "the plain reader gave events for a fragment it did not take");
        return;
    }
    try {
        store::fragment::ReadWithQt(fragment, qt);
    } catch (const store::CorruptData& error) {
        Fail(std::string("the plain reader took a fragment Qt refuses: ") + error.what());
    }
    Expect(plain.events == qt.events, "the plain reader and Qt read a fragment differently");
}

void DxlImport(const uint8_t* data, size_t size) {
    const fs::path input = Work().root / "import.xml", target = Work().data / "imported.nsf";
    WriteFile(input, data, size);
    const bool append = size > 0 && (data[0] & 1);
    fs::remove(target);
    std::string before;
    if (append) {
        const std::string& good = GoodDatabase();
        WriteFile(target, reinterpret_cast<const uint8_t*>(good.data()), good.size());
        before = good;
    }
    try {
        importer::Import({input}, target, append);
    } catch (const std::exception& e) {
        std::ifstream in(target, std::ios::binary);
        const std::string after = in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string();
        Expect(after == before, "a failed import changed its target");
        // Only XML that is not well-formed is refused.
        QXmlStreamReader xml(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        while (!xml.atEnd())
            xml.readNext();
        Expect(xml.hasError(), std::string("well-formed XML refused: ") + e.what());
        return;
    }
    WalkDatabase(u"imported.nsf");
}

void WorkbookStrings(const uint8_t* data, size_t size) {
    std::vector<std::u16string> cells(1);
    for (size_t i = 0; i + 1 < size && cells.size() <= 40; i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0xFFFF)
            cells.emplace_back();
        else
            cells.back() += unit;
    }
    xls::Workbook book;
    std::vector<std::u16string> expected;
    for (size_t r = 0; r < cells.size(); ++r) {
        book.setText(static_cast<uint32_t>(r), 0, cells[r]);
        std::u16string text = cells[r].substr(0, 32767);
        if (text.size() < cells[r].size() && text.back() >= 0xD800 && text.back() <= 0xDBFF &&
            cells[r][32767] >= 0xDC00 && cells[r][32767] <= 0xDFFF)
            text.pop_back(); // a surrogate pair is not halved
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
            if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                ++i;
            else if (high || low)
                text[i] = u'\uFFFD';
        }
        if (!text.empty() && std::find(expected.begin(), expected.end(), text) == expected.end())
            expected.push_back(text);
    }
    xls::StringSink sink;
    book.write(sink);
    std::vector<std::u16string> read;
    try {
        read = xlstest::ReadSharedStrings(xlstest::ReadContainer(sink.bytes()).stream);
    } catch (const std::exception& e) {
        Fail(std::string("the workbook does not read back: ") + e.what());
    }
    Expect(read == expected, "cell texts do not come back as written");
}

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"profile_file", ProfileFile}, {"registry_file", RegistryFile}, {"store_file", StoreFile},
        {"store_cell", StoreCell},     {"description", Description},    {"formula", Formula},
        {"picture_scan", PictureScan}, {"dxl_import", DxlImport},       {"workbook_strings", WorkbookStrings},
        {"nsf_file", NsfFile},         {"nsf_sample", NsfSample},       {"rich_text", RichTextFragment},
    };
    return targets;
}

} // namespace fuzz
