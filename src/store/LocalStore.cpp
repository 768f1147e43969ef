#include "store/LocalStore.h"

#include "interfaces/Text.h"
#include "platform/FileLock.h"
#include "platform/ProfileFile.h"
#include "store/Dxl.h"
#include "store/Formula.h"
#include "store/NsfFile.h"
#include "store/Password.h"
#include "store/RichText.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <chrono>
#include <map>
#include <new>
#include <optional>
#include <unordered_map>

namespace store {

namespace {

[[noreturn]] void Raise(const std::u16string& text, int32_t code = notes_code::kNotesError) {
    throw EOleException(text, code);
}

// Runs f, turning the store's internal failures into the errors the server raises.
template <class F> auto Guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const EOleException&) {
        throw;
    } catch (const sql::Error& e) {
        if (e.isNotADatabase())
            Raise(notes_text::kNotADatabase, notes_code::kDatabaseOpenFailed);
        Raise(notes_text::ReadFailed(Utf8ToUtf16(e.what())));
    } catch (const CorruptData&) {
        Raise(notes_text::kNotADatabase, notes_code::kDatabaseOpenFailed);
    } catch (const FormulaError& e) {
        Raise(notes_text::FormulaFailed(Utf8ToUtf16(e.what())));
    } catch (const std::bad_alloc&) {
        Raise(notes_text::kInsufficientMemory, hresult::kFail);
    }
}

// An open database file shared by the objects that come from it.
struct DbFile {
    SharedFileLock inUse; // other programs see the file in use while it is open here
    sql::Connection db;
    std::vector<ViewDef> views;
    std::string replicaId;
    sql::Statement entriesFrom; // view entries and note headers from a position on
    sql::Statement lastEntry;   // number of entries of a view
    sql::Statement positionOf;  // position of a note in a view
    sql::Statement noteByUnid;
    sql::Statement fileData;
    NoteBodyStatements noteBody{db};
    sql::Statement begin, commit;

    DbFile(sql::Connection connection, const std::filesystem::path& path) : inUse(path), db(std::move(connection)) {
        views = LoadViews(db);
        auto meta = db.prepare("SELECT value FROM meta WHERE key = 'replicaid'");
        if (meta.step())
            replicaId = meta.text(0);
        entriesFrom = db.prepare("SELECT e.position, e.note_id, e.columns, n.unid, n.form, n.created, n.modified "
                                 "FROM view_entries e JOIN notes n ON n.note_id = e.note_id "
                                 "WHERE e.view_id = ? AND e.position >= ? ORDER BY e.position LIMIT ?");
        lastEntry = db.prepare("SELECT max(position) FROM view_entries WHERE view_id = ?");
        positionOf = db.prepare("SELECT position FROM view_entries WHERE note_id = ? AND view_id = ?");
        noteByUnid = db.prepare("SELECT note_id, unid, form, created, modified FROM notes WHERE unid = ?");
        fileData = db.prepare("SELECT data FROM files WHERE file_id = ?");
        begin = db.prepare("BEGIN");
        commit = db.prepare("COMMIT");
    }
};

// A read transaction: statements inside it share one lock of the file.
class ReadTransaction {
public:
    explicit ReadTransaction(DbFile& file) : m_file(file) { m_file.begin.run(); }
    ~ReadTransaction() {
        if (!m_done) {
            try {
                m_file.db.exec("ROLLBACK");
            } catch (...) {
            }
        }
    }
    void commit() {
        m_file.commit.run();
        m_done = true;
    }

private:
    DbFile& m_file;
    bool m_done = false;
};

// A run of a view's entries read together, and the view's size read with them. Walking a view
// is served from here, so that a page of documents costs a few reads of the file, not one or
// two per document. What it holds is at most kFreshFor old: a view that changes is followed.
struct ViewWindow {
    static constexpr int64_t kRows = 128;
    static constexpr auto kFreshFor = std::chrono::milliseconds(100);

    struct Row {
        int64_t position;
        NoteData header;
        std::string columns;
    };
    std::vector<Row> rows;
    std::chrono::steady_clock::time_point rowsRead;
    int64_t count = 0;
    std::chrono::steady_clock::time_point countRead;
    bool hasRows = false, hasCount = false;

    static bool Fresh(std::chrono::steady_clock::time_point t) {
        return std::chrono::steady_clock::now() - t < kFreshFor;
    }
    const Row* find(int64_t position) const {
        if (!hasRows || !Fresh(rowsRead) || rows.empty() || position < rows.front().position ||
            position > rows.back().position)
            return nullptr;
        return &rows[static_cast<size_t>(position - rows.front().position)];
    }
    // The entry is past the end: the window reaches the end of the view and is fresh.
    bool pastEnd(int64_t position) const {
        return hasRows && hasCount && Fresh(rowsRead) && rowsRead == countRead && position > count;
    }

    // The items and files of the window's notes, read together (in one read transaction) when the
    // first of them is asked for: a walk that reads every document then costs a few locks of the
    // file per window, not several per document. Each body is handed out once.
    std::unordered_map<int64_t, NoteData> bodies;
    bool bodiesRead = false;

    std::optional<NoteData> takeBody(DbFile& file, int64_t noteId, int64_t position) {
        if (!bodiesRead && find(position)) {
            bodiesRead = true;
            ReadTransaction transaction(file);
            for (size_t i = static_cast<size_t>(position - rows.front().position); i < rows.size(); ++i) {
                NoteData body;
                body.noteId = rows[i].header.noteId;
                LoadNoteBody(file.noteBody, body);
                bodies.emplace(body.noteId, std::move(body));
            }
            transaction.commit();
        }
        const auto found = bodies.find(noteId);
        if (found == bodies.end())
            return std::nullopt;
        NoteData body = std::move(found->second);
        bodies.erase(found);
        return body;
    }
};

class StoreDocument;

class StoreEmbeddedObject : public IEmbeddedObject {
public:
    StoreEmbeddedObject(std::shared_ptr<DbFile> file, FileData data)
        : m_file(std::move(file)), m_data(std::move(data)) {}

    std::u16string DefaultValueText() override { return m_data.name; }
    std::u16string Name() override { return m_data.name; }

    void ExtractFile(const std::u16string& path) override {
        const std::string bytes = Guarded([&] { return LoadFileBytes(m_file->fileData, m_data.fileId); });
        QFile out(QString::fromStdU16String(path));
        if (path.empty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Raise(notes_text::WriteFailed(path, out.errorString().toStdU16String()), hresult::kFail);
        const qint64 written = out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        const bool flushed = out.flush();
        if (written != static_cast<qint64>(bytes.size()) || !flushed) {
            const std::u16string reason = out.errorString().toStdU16String();
            out.close();
            Raise(notes_text::WriteFailed(path, reason), hresult::kFail);
        }
        out.close();
    }

private:
    std::shared_ptr<DbFile> m_file;
    FileData m_data;
};

class StoreDocument : public IDocument, public std::enable_shared_from_this<StoreDocument> {
public:
    StoreDocument(std::shared_ptr<DbFile> file, NoteData header) : m_file(std::move(file)), m_note(std::move(header)) {}

    // A document reached through a view: its place there and its column values; its body may
    // come with the window it was read in.
    void setViewEntry(int64_t viewId, int64_t position, std::string columns, std::weak_ptr<ViewWindow> window) {
        m_viewId = viewId;
        m_position = position;
        m_columns = std::move(columns);
        m_window = std::move(window);
    }

    const std::shared_ptr<DbFile>& file() const { return m_file; }
    int64_t noteId() const { return m_note.noteId; }
    int64_t viewId() const { return m_viewId; }
    int64_t position() const { return m_position; }

    const NoteData& note() {
        if (!m_loaded) {
            Guarded([&] {
                const auto window = m_window.lock();
                if (auto body = window ? window->takeBody(*m_file, m_note.noteId, m_position) : std::nullopt) {
                    m_note.items = std::move(body->items);
                    m_note.files = std::move(body->files);
                } else {
                    LoadNoteBody(m_file->noteBody, m_note);
                }
            });
            m_loaded = true;
        }
        return m_note;
    }

    std::u16string UniversalID() override { return m_note.unid; }

    Variant ColumnValues() override {
        if (m_viewId == 0)
            return {};
        return Guarded([&] {
            Variant::Array values;
            for (const auto& column : DecodeColumns(m_columns))
                values.push_back(ToVariant(column));
            return Variant(std::move(values));
        });
    }

    Variant Items() override;
    bool HasEmbedded() override { return !note().files.empty(); }

    std::shared_ptr<IEmbeddedObject> GetAttachment(const std::u16string& fileName) override {
        return GetNthAttachment(fileName, 1);
    }

    std::shared_ptr<IEmbeddedObject> GetNthAttachment(const std::u16string& fileName, int32_t n) override {
        for (const auto& file : note().files)
            if (file.kind == file_kind::kAttachment && EqualsIgnoreCase(file.name, fileName) && --n == 0)
                return std::make_shared<StoreEmbeddedObject>(m_file, file);
        return nullptr;
    }

    std::shared_ptr<IItem> GetFirstItem(const std::u16string& name) override;

    Variant GetItemValue(const std::u16string& name) override {
        const ItemData* item = note().findItem(name);
        if (!item)
            return ToVariantArray({});
        return itemValues(static_cast<size_t>(item - note().items.data()));
    }

    // The values of the item at index: an array; rich text gives its text.
    Variant itemValues(size_t index) {
        const ItemData& item = note().items.at(index);
        if (item.type == 1)
            return Guarded([&] { return Variant(Variant::Array{Variant(RichTextPlainText(richText(index)))}); });
        return ToVariantArray(item.values);
    }

    // Embedded objects the rich-text item at index refers to, in its order; the item is read
    // once however often they are asked for.
    const std::vector<std::shared_ptr<IEmbeddedObject>>& embeddedObjects(size_t index) {
        const auto known = m_objects.find(index);
        if (known != m_objects.end())
            return known->second;
        std::vector<std::shared_ptr<IEmbeddedObject>> objects;
        const auto& refs = Guarded([&]() -> const std::vector<RichTextRef>& { return richText(index).refs; });
        for (const auto& ref : refs)
            for (const auto& file : note().files)
                if (EqualsIgnoreCase(file.name, ref.name)) {
                    objects.push_back(std::make_shared<StoreEmbeddedObject>(m_file, file));
                    break;
                }
        return m_objects.emplace(index, std::move(objects)).first->second;
    }

    // What the rich-text item at index holds, read once. Raises CorruptData.
    const RichTextContent& richText(size_t index) {
        const auto known = m_richText.find(index);
        if (known != m_richText.end())
            return known->second;
        return m_richText.emplace(index, ReadRichText(note().items.at(index).richText)).first->second;
    }

private:
    std::shared_ptr<DbFile> m_file;
    NoteData m_note;
    bool m_loaded = false;
    int64_t m_viewId = 0;
    int64_t m_position = 0;
    std::string m_columns;
    std::weak_ptr<ViewWindow> m_window;
    std::unordered_map<size_t, std::vector<std::shared_ptr<IEmbeddedObject>>> m_objects; // by item index
    std::unordered_map<size_t, RichTextContent> m_richText;                              // by item index
};

class StoreItem : public IItem2 {
public:
    StoreItem(std::shared_ptr<StoreDocument> doc, size_t index) : m_doc(std::move(doc)), m_index(index) {}
    std::u16string DefaultValueText() override { return Name(); }
    std::u16string Name() override { return data().name; }
    int32_t Type() override { return data().type; }
    Variant Values() override { return m_doc->itemValues(m_index); }

private:
    const ItemData& data() { return m_doc->note().items.at(m_index); }
    std::shared_ptr<StoreDocument> m_doc;
    size_t m_index;
};

class StoreRichTextItem : public IRichTextItem {
public:
    StoreRichTextItem(std::shared_ptr<StoreDocument> doc, size_t index) : m_doc(std::move(doc)), m_index(index) {}
    std::u16string DefaultValueText() override { return Name(); }
    std::u16string Name() override { return data().name; }
    int32_t Type() override { return data().type; }

    Variant Values() override { return m_doc->itemValues(m_index); }

    Variant EmbeddedObjects() override {
        const auto& objects = m_doc->embeddedObjects(m_index);
        if (objects.empty())
            return {}; // the server gives no array when the item holds no objects
        Variant::Array array;
        for (const auto& object : objects)
            array.emplace_back(std::static_pointer_cast<IDispatchObject>(object));
        return Variant(std::move(array));
    }

    std::shared_ptr<IEmbeddedObject> GetEmbeddedObject(const std::u16string& name) override {
        for (const auto& object : m_doc->embeddedObjects(m_index))
            if (EqualsIgnoreCase(object->Name(), name))
                return object;
        return nullptr;
    }

    std::u16string GetFormattedText(bool stripTabs, int32_t lineLength) override {
        return Guarded([&] { return RichTextFormattedText(m_doc->richText(m_index), stripTabs, lineLength); });
    }

private:
    const ItemData& data() { return m_doc->note().items.at(m_index); }
    std::shared_ptr<StoreDocument> m_doc;
    size_t m_index;
};

std::shared_ptr<IItem> MakeItem(const std::shared_ptr<StoreDocument>& doc, size_t index) {
    if (doc->note().items[index].type == 1)
        return std::make_shared<StoreRichTextItem>(doc, index);
    return std::make_shared<StoreItem>(doc, index);
}

std::shared_ptr<IItem> StoreDocument::GetFirstItem(const std::u16string& name) {
    const auto& items = note().items;
    for (size_t i = 0; i < items.size(); ++i)
        if (EqualsIgnoreCase(items[i].name, name))
            return MakeItem(shared_from_this(), i);
    return nullptr;
}

Variant StoreDocument::Items() {
    // Items keep their document alive.
    const auto self = shared_from_this();
    Variant::Array items;
    for (size_t i = 0; i < note().items.size(); ++i)
        items.emplace_back(std::static_pointer_cast<IDispatchObject>(MakeItem(self, i)));
    return Variant(std::move(items));
}

class StoreEntryCollection : public IViewEntryCollection {
public:
    StoreEntryCollection(std::shared_ptr<DbFile> file, int64_t viewId, std::shared_ptr<ViewWindow> window)
        : m_file(std::move(file)), m_viewId(viewId), m_window(std::move(window)) {}

    int32_t Count() override {
        if (m_window->hasCount && ViewWindow::Fresh(m_window->countRead))
            return static_cast<int32_t>(m_window->count);
        return Guarded([&] {
            auto& stmt = m_file->lastEntry;
            stmt.bind(1, m_viewId);
            const int64_t count = stmt.step() ? stmt.int64(0) : 0;
            stmt.reset();
            m_window->count = count;
            m_window->countRead = std::chrono::steady_clock::now();
            m_window->hasCount = true;
            return static_cast<int32_t>(count);
        });
    }

private:
    std::shared_ptr<DbFile> m_file;
    int64_t m_viewId;
    std::shared_ptr<ViewWindow> m_window;
};

class StoreView : public IView {
public:
    StoreView(std::shared_ptr<DbFile> file, const ViewDef& def)
        : m_file(std::move(file)), m_def(def), m_window(std::make_shared<ViewWindow>()) {}

    std::u16string DefaultValueText() override { return m_def.name; }
    std::u16string Name() override { return m_def.name; }
    int32_t ColumnCount() override { return static_cast<int32_t>(m_def.columns.size()); }

    Variant ColumnNames() override {
        Variant::Array titles;
        for (const auto& column : m_def.columns)
            titles.emplace_back(column.title);
        return Variant(std::move(titles));
    }

    std::shared_ptr<IViewEntryCollection> AllEntries() override {
        return std::make_shared<StoreEntryCollection>(m_file, m_def.viewId, m_window);
    }

    std::shared_ptr<IDocument> GetNthDocument(int32_t n) override {
        if (n < 1)
            return nullptr;
        return Guarded([&] {
            read(n); // a new start: always read afresh
            return documentFrom(m_window->find(n));
        });
    }

    std::shared_ptr<IDocument> GetNextDocument(const std::shared_ptr<IDocument>& doc) override {
        const auto current = std::dynamic_pointer_cast<StoreDocument>(doc);
        if (!current || current->file() != m_file)
            Raise(notes_text::kForeignDocument, notes_code::kNotesError);
        return Guarded([&]() -> std::shared_ptr<IDocument> {
            int64_t position = current->viewId() == m_def.viewId ? current->position() : 0;
            const ViewWindow::Row* here = position ? m_window->find(position) : nullptr;
            if (!here || here->header.noteId != current->noteId()) {
                read(position ? position : 1);
                here = position ? m_window->find(position) : nullptr;
                if (!here || here->header.noteId != current->noteId()) {
                    // The index changed since the document was fetched, or it came from elsewhere.
                    auto& stmt = m_file->positionOf;
                    stmt.bind(1, current->noteId()).bind(2, m_def.viewId);
                    position = stmt.step() ? stmt.int64(0) : 0;
                    stmt.reset();
                    if (position == 0)
                        Raise(notes_text::kEntryNotFound, notes_code::kNotesError);
                    read(position);
                }
            }
            const ViewWindow::Row* next = m_window->find(position + 1);
            if (!next) {
                if (m_window->pastEnd(position + 1))
                    return nullptr;
                read(position + 1);
                next = m_window->find(position + 1);
            }
            return documentFrom(next);
        });
    }

private:
    // Reads the entries from position on, and the view's size, in one read transaction.
    void read(int64_t position) {
        ViewWindow& window = *m_window;
        window.rows.clear();
        window.bodies.clear();
        window.bodiesRead = false;
        window.hasRows = window.hasCount = false;
        ReadTransaction transaction(*m_file);
        auto& stmt = m_file->entriesFrom;
        stmt.bind(1, m_def.viewId).bind(2, position).bind(3, ViewWindow::kRows);
        while (stmt.step()) {
            ViewWindow::Row row;
            row.position = stmt.int64(0);
            row.header.noteId = stmt.int64(1);
            row.columns = stmt.text(2);
            row.header.unid = Utf8ToUtf16(stmt.bytes(3));
            row.header.form = Utf8ToUtf16(stmt.bytes(4));
            row.header.created = stmt.real(5);
            row.header.modified = stmt.real(6);
            if (row.position != position + static_cast<int64_t>(window.rows.size())) {
                stmt.reset();
                throw CorruptData("view index positions are not consecutive");
            }
            window.rows.push_back(std::move(row));
        }
        stmt.reset();
        auto& last = m_file->lastEntry;
        last.bind(1, m_def.viewId);
        window.count = last.step() ? last.int64(0) : 0;
        last.reset();
        transaction.commit();
        window.rowsRead = window.countRead = std::chrono::steady_clock::now();
        window.hasRows = window.hasCount = true;
    }

    std::shared_ptr<IDocument> documentFrom(const ViewWindow::Row* row) {
        if (!row)
            return nullptr;
        auto doc = std::make_shared<StoreDocument>(m_file, row->header);
        doc->setViewEntry(m_def.viewId, row->position, row->columns, m_window);
        return doc;
    }

    std::shared_ptr<DbFile> m_file;
    ViewDef m_def;
    std::shared_ptr<ViewWindow> m_window;
};

bool MatchesViewName(const ViewDef& view, const std::u16string& wanted) {
    if (EqualsIgnoreCase(TrimBlanks(view.name), wanted))
        return true;
    size_t start = 0;
    while (start <= view.alias.size()) {
        size_t end = view.alias.find(u'|', start);
        if (end == std::u16string::npos)
            end = view.alias.size();
        const auto alias = TrimBlanks(std::u16string_view(view.alias).substr(start, end - start));
        if (!alias.empty() && EqualsIgnoreCase(alias, wanted))
            return true;
        start = end + 1;
    }
    return false;
}

class StoreDatabase : public IDatabase {
public:
    explicit StoreDatabase(std::shared_ptr<DbFile> file) : m_file(std::move(file)) {}

    Variant Views() override {
        Variant::Array views;
        for (const auto& def : m_file->views)
            views.emplace_back(std::static_pointer_cast<IDispatchObject>(std::make_shared<StoreView>(m_file, def)));
        return Variant(std::move(views));
    }

    std::shared_ptr<IView> GetView(const std::u16string& name) override {
        const std::u16string wanted = TrimBlanks(name);
        for (const auto& def : m_file->views)
            if (MatchesViewName(def, wanted))
                return std::make_shared<StoreView>(m_file, def);
        Raise(notes_text::ViewNotFound(name), notes_code::kNoSuchView);
    }

    std::shared_ptr<IDocument> GetDocumentByUNID(const std::u16string& unid) override {
        if (!IsValidUnid(unid))
            Raise(notes_text::kInvalidUnid, notes_code::kBadUnid);
        std::u16string upper = unid;
        for (auto& c : upper)
            if (c >= u'a' && c <= u'f')
                c = static_cast<char16_t>(c - u'a' + u'A');
        return Guarded([&] {
            auto& stmt = m_file->noteByUnid;
            stmt.bind(1, Utf16ToUtf8(upper));
            if (!stmt.step()) {
                stmt.reset();
                Raise(notes_text::kInvalidUnid, notes_code::kBadUnid);
            }
            NoteData header;
            header.noteId = stmt.int64(0);
            header.unid = Utf8ToUtf16(stmt.bytes(1));
            header.form = Utf8ToUtf16(stmt.bytes(2));
            header.created = stmt.real(3);
            header.modified = stmt.real(4);
            stmt.reset();
            return std::make_shared<StoreDocument>(m_file, std::move(header));
        });
    }

private:
    std::shared_ptr<DbFile> m_file;
};

std::shared_ptr<StoreDocument> AsDocument(const Variant& value) {
    if (value.kind() == Variant::Kind::Object)
        if (auto doc = std::dynamic_pointer_cast<StoreDocument>(value.asObject()))
            return doc;
    Raise(notes_text::kDocumentRequired, hresult::kTypeMismatch);
}

class StoreDxlExporter : public IDXLExporter {
public:
    void SetConvertNotesBitmapsToGIF(bool value) override { m_convert = value; }
    void SetOmitRichtextAttachments(bool value) override { m_omitRichtext = value; }
    void SetOmitMiscFileObjects(bool value) override { m_omitMisc = value; }

    std::u16string Export(const Variant& what) override {
        const auto doc = AsDocument(what);
        const NoteData& note = doc->note();
        return Guarded([&] {
            DxlOptions options;
            options.convertNotesBitmapsToGif = m_convert;
            options.omitRichtextAttachments = m_omitRichtext;
            options.omitMiscFileObjects = m_omitMisc;
            options.replicaId = doc->file()->replicaId;
            const auto file = doc->file();
            return Utf8ToUtf16(DocumentToDxl(
                note, [&](const FileData& f) { return LoadFileBytes(file->fileData, f.fileId); }, options));
        });
    }

private:
    bool m_convert = false;
    bool m_omitRichtext = false;
    bool m_omitMisc = false;
};

std::shared_ptr<DbFile> OpenDb(const std::filesystem::path& path) {
    try {
        return Guarded([&] { return std::make_shared<DbFile>(OpenDatabaseFile(path), path); });
    } catch (const OpenError& e) {
        if (e.reason() == OpenError::Reason::Missing)
            Raise(notes_text::kFileDoesNotExist, notes_code::kFileNotFound);
        Raise(notes_text::kNotADatabase, notes_code::kDatabaseOpenFailed);
    }
}

// Is path (absolute, normalised) inside dir?
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& dir) {
    const auto relative = path.lexically_relative(dir);
    if (relative.empty())
        return false;
    const auto first = *relative.begin();
    return first != ".." && first != ".";
}

class StoreSession : public ISession {
public:
    explicit StoreSession(Installation installation) : m_installation(std::move(installation)) {}

    void Initialize(const std::u16string&) override {
        // The installation keeps no ID file: local use needs no password.
        m_state = State::Local;
    }

    void InitializeUsingNotesUserName(const std::u16string& userName, const std::u16string& password) override {
        m_state = State::None;
        const std::u16string name = TrimBlanks(userName);
        if (name.empty())
            Raise(notes_text::kAnonymousRefused, notes_code::kNoAccess);
        std::shared_ptr<DbFile> directory;
        try {
            directory = OpenDb(m_installation.dataDir / std::filesystem::path(m_installation.directoryFile));
        } catch (const EOleException& e) {
            Raise(notes_text::DirectoryUnavailable(e.message()), e.code());
        }
        const auto hashes = Guarded([&] { return PasswordsOf(*directory, name); });
        if (hashes.empty())
            Raise(notes_text::UserNotListed(name), notes_code::kNoAccess);
        if (hashes.size() > 1)
            Raise(notes_text::UserAmbiguous(name), notes_code::kNoAccess);
        if (!VerifyPassword(password, hashes.front()))
            Raise(notes_text::kWrongPassword, notes_code::kNoAccess);
        m_state = State::Server;
    }

    std::shared_ptr<IDatabase> GetDatabase(const std::u16string& server, const std::u16string& path, bool) override {
        if (m_state == State::None)
            Raise(notes_text::kNotInitialized);
        const std::u16string serverName = TrimBlanks(server);
        const bool remote = !serverName.empty();
        if (remote && !IsOwnServer(serverName))
            Raise(notes_text::kServerNotResponding);
        std::u16string text = TrimBlanks(path);
        for (auto& c : text)
            if (c == u'\\')
                c = u'/';
        if (text.empty())
            Raise(notes_text::kFileDoesNotExist, notes_code::kFileNotFound);
        std::filesystem::path file(text);
        if (file.is_relative())
            file = m_installation.dataDir / file;
        file = file.lexically_normal();
        if (remote && !IsInside(file, m_installation.dataDir.lexically_normal()))
            Raise(notes_text::kNotAuthorized, notes_code::kNoAccess);
        return std::make_shared<StoreDatabase>(OpenDb(file));
    }

    Variant Evaluate(const std::u16string& formula, const Variant& document) override {
        const auto doc = AsDocument(document);
        const NoteData& note = doc->note();
        return Guarded([&] { return ToVariantArray(Formula(formula).evaluate(note)); });
    }

    std::shared_ptr<IDXLExporter> CreateDXLExporter() override { return std::make_shared<StoreDxlExporter>(); }

private:
    enum class State { None, Local, Server };

    bool IsOwnServer(const std::u16string& name) const {
        return EqualsIgnoreCase(AbbreviateName(name), AbbreviateName(m_installation.serverName));
    }

    // Password hashes of the Person documents whose full or short name is name.
    static std::vector<std::u16string> PasswordsOf(DbFile& directory, const std::u16string& name) {
        std::vector<std::u16string> hashes;
        const std::u16string abbreviated = AbbreviateName(name);
        auto people = directory.db.prepare("SELECT note_id FROM notes WHERE form = 'Person' ORDER BY note_id");
        while (people.step()) {
            const auto person = LoadNote(directory.db, people.int64(0));
            if (!person)
                continue;
            bool match = false;
            for (const auto* itemName : {u"FullName", u"ShortName"})
                if (const ItemData* item = person->findItem(itemName))
                    for (const auto& value : item->values)
                        if (auto text = std::get_if<std::u16string>(&value))
                            match = match || EqualsIgnoreCase(*text, name) ||
                                    EqualsIgnoreCase(AbbreviateName(*text), abbreviated);
            if (!match)
                continue;
            const ItemData* password = person->findItem(u"HTTPPassword");
            hashes.push_back(password && !password->values.empty() &&
                                     std::holds_alternative<std::u16string>(password->values.front())
                                 ? std::get<std::u16string>(password->values.front())
                                 : std::u16string());
        }
        return hashes;
    }

    Installation m_installation;
    State m_state = State::None;
};

} // namespace

Installation ReadInstallation(const std::filesystem::path& programDir) {
    const QString iniPath = QString::fromStdU16String((programDir / "notes.ini").u16string());
    if (!QFileInfo(iniPath).isFile())
        Raise(notes_text::NoNotesIni(programDir.u16string()), hresult::kFail);
    const ProfileFile ini(iniPath);
    const auto value = [&ini](const char* key) {
        return ini.ReadString(QStringLiteral("Notes"), QString::fromLatin1(key), QString()).toStdU16String();
    };
    Installation installation;
    installation.programDir = programDir;
    const std::u16string directory = value("Directory");
    if (directory.empty())
        Raise(notes_text::kNoDataDirectory, hresult::kFail);
    installation.dataDir = std::filesystem::path(directory);
    if (installation.dataDir.is_relative())
        installation.dataDir = programDir / installation.dataDir;
    installation.serverName = value("ServerName");
    const std::u16string names = value("Names");
    if (!names.empty()) {
        // The first directory listed; ".nsf" may be left out.
        std::u16string first = TrimBlanks(names.substr(0, names.find(u',')));
        if (first.size() < 4 || !EqualsIgnoreCase(first.substr(first.size() - 4), u".nsf"))
            first += u".nsf";
        installation.directoryFile = first;
    }
    return installation;
}

std::shared_ptr<ISession> CreateSession(const std::filesystem::path& programDir) {
    return std::make_shared<StoreSession>(ReadInstallation(programDir));
}

void RegisterLocalStore(PortableComClassFactory& factory) {
    factory.RegisterLoader(kComponentKind, [](const std::filesystem::path& componentFile) {
        return std::static_pointer_cast<IDispatchObject>(CreateSession(componentFile.parent_path()));
    });
}

} // namespace store
