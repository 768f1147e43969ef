#include "store/StoreDatabase.h"

#include "store/ReadAhead.h"

#include "interfaces/Text.h"
#include "store/DbFile.h"
#include "store/Names.h"
#include "store/ServerErrors.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/Unid.h"
#include "store/ViewWindow.h"

namespace store::local {

namespace {

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
        : m_file(std::move(file)), m_def(def), m_window(std::make_shared<ViewWindow>()) {
        m_window->viewId = m_def.viewId;
        m_window->ahead = std::make_shared<ViewReadAhead>();
    }

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
            read(n, true); // a new start: always read afresh
            return documentFrom(m_window->find(n));
        });
    }

    std::shared_ptr<IDocument> GetNextDocument(const std::shared_ptr<IDocument>& doc) override {
        const auto current = std::dynamic_pointer_cast<StoreDocument>(doc);
        if (!current || current->file() != m_file)
            Raise(notes_text::ForeignDocument(), notes_code::kNotesError);
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
                        Raise(notes_text::EntryNotFound(), notes_code::kNotesError);
                    read(position);
                }
            }
            const ViewWindow::Row* next = m_window->find(position + 1);
            if (!next) {
                if (m_window->pastEnd(position + 1))
                    return nullptr;
                read(position + 1, false, true);
                next = m_window->find(position + 1);
            }
            return documentFrom(next);
        });
    }

private:
    // Reads the entries from position on, and the view's size, in one read transaction, or makes
    // them of what was read ahead (unless afresh). walkingOn: a walk has gone past the window
    // before (not a new start, nor a window read again because it grew old).
    void read(int64_t position, bool afresh = false, bool walkingOn = false) {
        ViewWindow& window = *m_window;
        std::optional<ReadAheadRun> run;
        if (afresh)
            DropReadAhead(*window.ahead);
        else
            run = TakeReadAhead(*window.ahead, position);
        window.rows.clear();
        window.bodies.clear();
        window.bodiesRead = false;
        window.copiedBodies.reset();
        window.walkedOn = walkingOn;
        window.hasRows = window.hasCount = false;
        if (run) {
            CopiedRows::Cursor entries(run->entries);
            ReadEntries(entries, position, window.rows);
            window.count = run->count;
            window.copiedBodies = std::move(run->bodies);
            window.rowsRead = window.countRead = run->read;
        } else {
            ReadTransaction transaction(*m_file);
            {
                auto& stmt = m_file->entriesFrom;
                auto& last = m_file->lastEntry;
                sql::ResetOnExit reset{stmt, last}; // before the commit
                stmt.bind(1, m_def.viewId).bind(2, position).bind(3, ViewWindow::kRows);
                sql::StatementCursor entries{stmt};
                ReadEntries(entries, position, window.rows);
                last.bind(1, m_def.viewId);
                window.count = last.step() ? last.int64(0) : 0;
            }
            transaction.commit();
            window.rowsRead = window.countRead = std::chrono::steady_clock::now();
        }
        window.hasRows = window.hasCount = true;
    }

    // The entries from position on, as the rows of kEntriesFrom give them.
    template <class Cursor>
    static void ReadEntries(Cursor& entries, int64_t position, std::vector<ViewWindow::Row>& rows) {
        rows.reserve(ViewWindow::kRows);
        while (entries.next()) {
            decltype(auto) row = entries.row();
            ViewWindow::Row entry;
            entry.position = row.int64(0);
            entry.header.noteId = row.int64(1);
            entry.columns = row.text(2);
            ReadNoteHeader(row, 3, entry.header);
            if (entry.position != position + static_cast<int64_t>(rows.size()))
                throw CorruptData("view index positions are not consecutive");
            rows.push_back(std::move(entry));
        }
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
            Raise(notes_text::InvalidUnid(), notes_code::kBadUnid);
        const std::u16string upper = AsciiUpper(unid);
        return Guarded([&] {
            auto& stmt = m_file->noteByUnid;
            stmt.bind(1, Utf16ToUtf8(upper));
            if (!stmt.step()) {
                stmt.reset();
                Raise(notes_text::InvalidUnid(), notes_code::kBadUnid);
            }
            NoteData header;
            header.noteId = stmt.int64(0);
            ReadNoteHeader(stmt, 1, header);
            stmt.reset();
            return std::make_shared<StoreDocument>(m_file, std::move(header));
        });
    }

private:
    std::shared_ptr<DbFile> m_file;
};

} // namespace

std::shared_ptr<DbFile> OpenDb(const std::filesystem::path& path) {
    try {
        return Guarded([&] {
            std::vector<ViewDef> views;
            sql::Connection db = OpenDatabaseFile(path, &views);
            return std::make_shared<DbFile>(std::move(db), std::move(views), path);
        });
    } catch (const OpenError& e) {
        if (e.reason() == OpenError::Reason::Missing)
            Raise(notes_text::FileDoesNotExist(), notes_code::kFileNotFound);
        Raise(notes_text::NotADatabase(), notes_code::kDatabaseOpenFailed);
    }
}

std::shared_ptr<IDatabase> CreateDatabase(std::shared_ptr<DbFile> file) {
    return std::make_shared<StoreDatabase>(std::move(file));
}

} // namespace store::local
