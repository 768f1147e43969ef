#include "Dump.h"

#include "store/Formula.h"
#include "store/NoteReading.h"
#include "store/RichText.h"
#include "store/StoreFile.h"
#include "store/ValueCodec.h"

namespace dump {

namespace {

std::string U8(const std::u16string& s) {
    return Utf16ToUtf8(s);
}

std::string ValuesText(const store::ValueList& values) {
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += "; ";
        out += U8(store::ScalarToText(values[i]));
    }
    return out;
}

const char* TypeName(int32_t type) {
    switch (type) {
    case 1:
        return "richtext";
    case item_type::kNumbers:
        return "number";
    case item_type::kDateTimes:
        return "datetime";
    case item_type::kNames:
        return "names";
    case item_type::kReaders:
        return "readers";
    case item_type::kAuthors:
        return "authors";
    case item_type::kAttachment:
        return "attachment";
    case item_type::kText:
        return "text";
    default:
        return "other";
    }
}

} // namespace

void DumpDatabase(const std::filesystem::path& nsf, std::ostream& out, int maxEntries) {
    const store::sql::Connection db = store::OpenDatabaseFile(nsf);
    {
        auto meta = db.prepare("SELECT key, value FROM meta ORDER BY key");
        while (meta.step())
            out << meta.text(0) << ": " << meta.text(1) << "\n";
    }
    const auto views = store::LoadViews(db);
    out << "\n" << views.size() << " views\n";
    for (const auto& view : views) {
        auto count = db.prepare("SELECT count(*) FROM view_entries WHERE view_id = ?");
        count.bind(1, view.viewId);
        count.step();
        out << "\nview \"" << U8(view.name) << "\"";
        if (!view.alias.empty())
            out << " alias \"" << U8(view.alias) << "\"";
        out << ", " << count.int64(0) << " entries\n  selection: " << U8(view.selection) << "\n";
        for (const auto& column : view.columns) {
            out << "  column \"" << U8(column.title)
                << "\": " << (column.item.empty() ? "formula " + U8(column.formula) : "item " + U8(column.item));
            if (column.sort == store::sort_order::kAscending)
                out << ", ascending";
            else if (column.sort == store::sort_order::kDescending)
                out << ", descending";
            out << "\n";
        }
        auto entries = db.prepare("SELECT e.position, n.unid, e.columns FROM view_entries e JOIN notes n "
                                  "ON n.note_id = e.note_id WHERE e.view_id = ? ORDER BY e.position LIMIT ?");
        entries.bind(1, view.viewId).bind(2, static_cast<int64_t>(maxEntries > 0 ? maxEntries : -1));
        while (entries.step()) {
            out << "  " << entries.int64(0) << " " << entries.text(1);
            for (const auto& column : store::DecodeColumns(entries.bytes(2)))
                out << " | " << ValuesText(column);
            out << "\n";
        }
    }
    auto notes = db.prepare("SELECT note_id FROM notes ORDER BY note_id");
    int total = 0;
    while (notes.step()) {
        const auto note = store::LoadNote(db, notes.int64(0));
        if (!note)
            continue;
        ++total;
        out << "\ndocument " << U8(note->unid) << " form \"" << U8(note->form) << "\" created "
            << U8(store::ScalarToText(OleDate{note->created})) << "\n";
        for (const auto& item : note->items) {
            out << "  " << U8(item.name) << " (" << TypeName(item.type) << "): ";
            if (item.type == item_type::kRichText) {
                std::string text = U8(store::RichTextPlainText(item.richText));
                for (auto& c : text)
                    if (c == '\r' || c == '\n')
                        c = ' ';
                if (text.size() > 200)
                    text = text.substr(0, 200) + "...";
                const auto refs = store::RichTextFileRefs(item.richText);
                out << text;
                for (const auto& ref : refs)
                    out << " [" << (ref.object ? "object " : "attachment ") << U8(ref.name) << "]";
                out << "\n";
            } else {
                out << ValuesText(item.values) << "\n";
            }
        }
        for (const auto& file : note->files)
            out << "  file \"" << U8(file.name) << "\" "
                << (file.kind == store::file_kind::kAttachment ? "attachment" : "object") << ", " << file.size
                << " bytes\n";
    }
    out << "\n" << total << " documents\n";
}

} // namespace dump
