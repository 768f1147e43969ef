#include "import/NsfImport.h"

#include "import/ReportText.h"
#include "platform/WholeFile.h"

#include "import/DxlSource.h"
#include "interfaces/DominoObjects.h"
#include "interfaces/FileSystem.h"
#include "nsf/Database.h"
#include "nsf/Lmbcs.h"
#include "nsf/Values.h"
#include "store/Formula.h"
#include "store/Names.h"
#include "store/OleTime.h"
#include "store/RichText.h"
#include "store/ValueCodec.h"

#include <QDateTime>
#include <QFile>

#include <map>
#include <unordered_map>
#include <unordered_set>

namespace importer {

using namespace store;

namespace {

namespace fs = std::filesystem;
using namespace item_type;

using nsf::kJulianDayOf1970;
using nsf::kJulianDayOfOleZero;

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A time as the store keeps it: the local time of this computer for a date with a time of day,
// as the mail and calendar programs show it; a date alone or a time of day alone as it stands.
std::optional<double> OleTime(const nsf::Time& time) {
    if (!time.julianDay)
        return *time.centiseconds / 8640000.0;
    if (!time.centiseconds)
        return static_cast<double>(*time.julianDay - kJulianDayOfOleZero);
    const int64_t msecs = (*time.julianDay - kJulianDayOf1970) * 86400000 + int64_t{*time.centiseconds} * 10;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).toLocalTime();
    const QDate date = local.date();
    const QTime clock = local.time();
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    return ToOleDate(date.year(), date.month(), date.day(), clock.hour(), clock.minute(), clock.second(), clock.msec());
}

std::optional<double> OleTime(nsf::TimeDate value) {
    const auto time = nsf::DecodeTime(value);
    return time ? OleTime(*time) : std::nullopt;
}

class NativeImport {
    // A folder waiting for the documents, whose members it lists.
    struct Folder {
        ViewDef view;
        uint32_t objectId = 0; // of its $FolderObject, or of its $ViewContainer
        QString where;
        QString unknownWords;   // a view's: the words of its selection not understood
        bool fromIndex = false; // a view whose documents come from its stored index
    };

public:
    NativeImport(const fs::path& file, ImportTarget& target)
        : m_target(target), m_file(Text(file.filename().u16string())) {}

    void run(nsf::Database& db) {
        m_db = &db;
        if (db.info().statedSize > db.info().size)
            m_target.reportLoss(m_file, report_text::Truncated(static_cast<qint64>(db.info().size),
                                                               static_cast<qint64>(db.info().statedSize)));
        if (!db.info().title.empty())
            m_target.setTitle(db.info().title);
        for (const auto& notice : db.notices())
            m_target.report(m_file, QString::fromStdString(notice));
        for (const auto& problem : db.problems())
            m_target.reportLoss(m_file, QString::fromStdString(problem));
        for (const auto& ref : db.notes()) {
            const QString where = report_text::NoteWhere(m_file, QString::fromStdString(nsf::Hex(ref.noteId)));
            std::optional<nsf::Note> note;
            try {
                note = db.readNote(ref);
            } catch (const nsf::FormatError& e) {
                m_target.reportLoss(where, report_text::NotRead(QString::fromStdString(e.what())));
                ++m_notesUnread;
                continue;
            }
            if (!note)
                continue;
            for (const auto& warning : note->warnings)
                m_target.reportLoss(where, QString::fromStdString(warning));
            if (note->noteClass & nsf::note_class::kDocument)
                addDocument(*note, where);
            else if (note->noteClass & nsf::note_class::kView)
                addViewNote(*note, where);
        }
        for (Folder& folder : m_folders)
            addFolder(folder);
        m_target.countPictures(m_pictures);
        for (const auto& [key, count] : m_leftOut)
            m_target.reportLoss(m_file,
                                report_text::ItemLeftOut(key.first, key.second.first, count, key.second.second));
        // A database whose documents were all deleted opens empty, and says so; one whose notes
        // are listed but whose documents cannot be read at all is not read.
        if (m_documents == 0 && db.deletionStubs() > 0)
            m_target.report(m_file, report_text::OnlyDeletedDocuments(static_cast<qint64>(db.deletionStubs())));
        else if (m_documents == 0 && (m_notesUnread > 0 || db.notesMissing()))
            throw ImportError((m_notesUnread > 0 ? report_text::NothingReadable(m_file, m_notesUnread)
                                                 : report_text::NotesListNotRead(m_file))
                                  .toStdString(),
                              ImportError::Kind::NothingRead);
    }

private:
    void leaveOut(const nsf::Item& item, const QString& why) {
        ++m_leftOut[{Text(item.name), {QString::fromStdString(nsf::DataTypeName(item.type)), why}}];
    }

    void addDocument(const nsf::Note& note, const QString& where) {
        const QString document = where + QStringLiteral(" (%1)").arg(QString::fromStdString(note.unid));
        NoteData doc;
        doc.unid = std::u16string(note.unid.begin(), note.unid.end());
        if (const auto created = OleTime(note.created))
            doc.created = *created;
        else
            m_target.report(document, report_text::CreatedNotATime());
        if (const auto modified = OleTime(note.modified))
            doc.modified = *modified;
        else
            m_target.report(document, report_text::ModifiedNotATime());
        m_note = &note;
        for (const auto& item : note.items)
            addItem(doc, item, document);
        m_note = nullptr;
        ++m_documents;
        m_documentUnids.emplace(note.noteId, note.unid);
        // Profile documents are named by $Name ("$profile_..."); no view lists them.
        if (note.find(u"$Name"))
            m_profiles.insert(note.noteId);
        finishRichText(doc, document);
        if (const ItemData* form = doc.findItem(u"Form"); form && !form->values.empty())
            if (const auto* text = std::get_if<std::u16string>(&form->values.front()))
                doc.form = *text;
        m_target.addDocument(std::move(doc), document);
    }

    void addItem(NoteData& doc, const nsf::Item& item, const QString& where) {
        const QString name = Text(item.name);
        if (!item.unreadable.empty()) {
            m_target.reportLoss(where, report_text::ItemNotRead(name, QString::fromStdString(item.unreadable)));
            return;
        }
        ItemData out;
        out.name = item.name;
        out.flags = (item.flags & nsf::item_flag::kSummary) ? item_flag::kSummary : 0;
        try {
            if (item.type == nsf::data_type::kComposite) {
                addRichText(doc, item);
                return;
            }
            if (item.type == nsf::data_type::kObject && EqualsIgnoreCase(item.name, u"$FILE")) {
                addAttachment(doc, item, where);
                return;
            }
            if (item.type == nsf::data_type::kMimePart || item.type == nsf::data_type::kRfc822Text) {
                addMailItem(doc, item, std::move(out), where);
                return;
            }
            if (!nsf::IsValueType(item.type)) {
                leaveOut(item, report_text::NotAStoreValue());
                return;
            }
            nsf::Values values = nsf::DecodeValues(item.type, item.value);
            if (values.unconverted > 0)
                m_target.reportLoss(where, report_text::Unconverted(name, static_cast<qsizetype>(values.unconverted)));
            if (values.leftOut > 0)
                m_target.reportLoss(where, report_text::ValuesLeftOut(name, static_cast<qsizetype>(values.leftOut)));
            out.type = TypeOf(item);
            for (auto& value : values.values) {
                if (auto* text = std::get_if<std::u16string>(&value)) {
                    out.values.emplace_back(std::move(*text));
                } else if (const auto* number = std::get_if<double>(&value)) {
                    out.values.emplace_back(*number);
                } else if (const auto time = OleTime(std::get<nsf::Time>(value))) {
                    out.values.emplace_back(OleDate{*time});
                } else {
                    m_target.reportLoss(where, report_text::TimeOutOfRange(name));
                }
            }
        } catch (const nsf::FormatError& e) {
            m_target.reportLoss(where, report_text::ItemNotRead(name, QString::fromStdString(e.what())));
            return;
        }
        doc.items.push_back(std::move(out));
    }

    // MIME parts and mail headers as readable text, as the DXL import keeps them. A text part
    // whose body the object store keeps gets that body back; the other parts kept there are the
    // document's attachments (their $FILE items), and their text keeps the file's name.
    void addMailItem(NoteData& doc, const nsf::Item& item, ItemData out, const QString& where) {
        const QString name = Text(item.name);
        std::optional<std::u16string> text;
        if (item.type == nsf::data_type::kMimePart) {
            const nsf::MimePart part = nsf::DecodeMimePart(item.value);
            std::string body(part.body);
            if (part.bodyInObject && IsTextPart(part.headers)) {
                const std::u16string file = nsf::LmbcsToUtf16(part.body).text;
                try {
                    body = fileBytes(file) + "\r\n";
                } catch (const nsf::FormatError& e) {
                    m_target.reportLoss(
                        where, report_text::MimeBodyNotRead(name, Text(file), QString::fromStdString(e.what())));
                }
            }
            const std::string raw = std::string(item.value.substr(0, nsf::kMimePartHead)) + std::string(part.boundary) +
                                    std::string(part.headers) + body;
            text = dxl::MimePartText(QByteArray::fromStdString(raw));
        } else {
            text = dxl::Rfc822Text(QByteArray(item.value.data(), static_cast<qsizetype>(item.value.size())));
        }
        if (!text) {
            m_target.reportLoss(where, report_text::MailItemDamaged(name));
            return;
        }
        out.type = kText;
        out.values.emplace_back(std::move(*text));
        doc.items.push_back(std::move(out));
    }

    static bool IsTextPart(std::string_view headers) {
        return QByteArray(headers.data(), static_cast<qsizetype>(headers.size()))
            .toLower()
            .contains("content-type: text/");
    }

    // The decoded bytes of the note's attachment named fileName. Raises FormatError.
    std::string fileBytes(const std::u16string& fileName) {
        for (const auto& item : m_note->items) {
            if (item.type != nsf::data_type::kObject || !EqualsIgnoreCase(item.name, u"$FILE") ||
                !item.unreadable.empty())
                continue;
            const nsf::FileObject file = nsf::DecodeFileObject(item.value);
            if (EqualsIgnoreCase(file.name, fileName))
                return m_db->readAttachment(file.objectId, file.compression, file.size);
        }
        throw nsf::FormatError(report_text::NoAttachmentOfThatName().toStdString());
    }

    static int32_t TypeOf(const nsf::Item& item) {
        switch (item.type) {
        case nsf::data_type::kNumber:
        case nsf::data_type::kNumberRange:
            return kNumbers;
        case nsf::data_type::kTime:
        case nsf::data_type::kTimeRange:
            return kDateTimes;
        case nsf::data_type::kNoteRefList:
            return kText;
        case nsf::data_type::kUserId:
            return (item.flags & nsf::item_flag::kAuthors) ? kAuthors : kNames;
        default:
            if (item.flags & nsf::item_flag::kReaders)
                return kReaders;
            if (item.flags & nsf::item_flag::kAuthors)
                return kAuthors;
            return (item.flags & nsf::item_flag::kNames) ? kNames : kText;
        }
    }

    // Long rich text is kept in several items of one name: they make one item, in order.
    void addRichText(NoteData& doc, const nsf::Item& item) {
        const auto [reader, added] = m_richText.try_emplace(item.name);
        reader->second.add(item.value);
        if (added) {
            ItemData out;
            out.name = item.name;
            out.type = kRichText;
            doc.items.push_back(std::move(out));
        }
    }

    // The rich text gathered for the document into its items: paragraphs, and the GIF and JPEG
    // pictures kept as the DXL import keeps them; the other pictures are counted by kind.
    void finishRichText(NoteData& doc, const QString& where) {
        for (auto& item : doc.items) {
            if (item.type != kRichText)
                continue;
            const auto found = m_richText.find(item.name);
            if (found == m_richText.end())
                continue;
            const QString name = Text(item.name);
            const nsf::RichText text = found->second.finish();
            if (text.damaged)
                m_target.reportLoss(where, report_text::RichTextDamaged(name));
            if (text.unconverted > 0)
                m_target.reportLoss(where, report_text::Unconverted(name, static_cast<qsizetype>(text.unconverted)));
            RichTextBuilder builder;
            std::map<std::pair<std::string, bool>, qsizetype> notKept; // by kind, and whether only cut short
            size_t next = 0;
            const auto picturesUpTo = [&](size_t paragraphs) {
                for (; next < text.pictures.size() && text.pictures[next].paragraph <= paragraphs; ++next) {
                    const nsf::Picture& picture = text.pictures[next];
                    const bool kept =
                        picture.kind == nsf::Picture::Kind::Gif || picture.kind == nsf::Picture::Kind::Jpeg;
                    if (kept && picture.complete) {
                        builder.addPicture(picture.kind == nsf::Picture::Kind::Gif ? "gif" : "jpeg", picture.bytes,
                                           picture.width, picture.height);
                        ++m_pictures;
                    } else {
                        ++notKept[{nsf::PictureKindName(picture.kind), kept}];
                    }
                }
            };
            picturesUpTo(0);
            for (size_t i = 0; i < text.paragraphs.size(); ++i) {
                builder.addParagraph(text.paragraphs[i]);
                picturesUpTo(i + 1);
            }
            picturesUpTo(SIZE_MAX);
            for (const auto& [kind, count] : notKept) {
                const QString kindName = QString::fromStdString(kind.first);
                m_target.reportLoss(where, report_text::PicturesNotKept(
                                               name, count, kind.second ? report_text::CutShort(kindName) : kindName));
            }
            item.richText = builder.fragment();
        }
        m_richText.clear();
    }

    // A $FILE item: the attachment's bytes from the object store, checked, as a file of the document.
    void addAttachment(NoteData& doc, const nsf::Item& item, const QString& where) {
        nsf::FileObject file;
        try {
            file = nsf::DecodeFileObject(item.value);
        } catch (const nsf::FormatError& e) {
            m_target.reportLoss(where, report_text::AttachmentNotRead(QString::fromStdString(e.what())));
            return;
        }
        FileData out;
        out.name = file.name;
        out.kind = file_kind::kAttachment;
        out.size = file.size;
        out.created = OleTime(file.created).value_or(0);
        out.modified = OleTime(file.modified).value_or(0);
        try {
            out.bytes = m_db->readAttachment(file.objectId, file.compression, file.size);
        } catch (const nsf::FormatError& e) {
            m_target.reportLoss(where, report_text::NamedAttachmentNotRead(Text(file.name), file.size,
                                                                           QString::fromStdString(e.what())));
            return;
        }
        doc.files.push_back(std::move(out));
    }

    // A damaged view note is the view's loss, not the database's.
    void addViewNote(const nsf::Note& note, const QString& where) {
        try {
            addView(note, where);
        } catch (const nsf::FormatError& e) {
            m_target.reportLoss(where, report_text::NotRead(QString::fromStdString(e.what())));
        }
    }

    void addView(const nsf::Note& note, const QString& where) {
        const nsf::ViewKind kind = nsf::DecodeViewKind(note);
        if (kind.navigator)
            return; // a picture to click, no list of documents
        ViewDef view;
        std::u16string title;
        if (const nsf::Item* titleItem = note.find(u"$TITLE"); titleItem && nsf::IsValueType(titleItem->type))
            for (const auto& value : nsf::DecodeValues(titleItem->type, titleItem->value).values)
                if (const auto* text = std::get_if<std::u16string>(&value))
                    title += (title.empty() ? u"" : u"|") + *text;
        const size_t bar = title.find(u'|');
        view.name = title.substr(0, bar);
        view.alias = bar == std::u16string::npos ? std::u16string() : title.substr(bar + 1);
        // A view without a name is listed by its alias, or by its note id, so that it can be picked.
        if (view.name.empty()) {
            const std::string id = nsf::Hex(note.noteId);
            view.name = !view.alias.empty() ? view.alias : std::u16string(id.begin(), id.end());
            m_target.report(where, report_text::UnnamedView(Text(view.name)));
        }
        const QString name = Text(view.name);
        // Profile documents (named by a $Name item) are never listed by a view.
        view.selection = u"SELECT @IsUnavailable($Name)";
        nsf::CompiledFormulas compiled;
        QString unknownWords;
        bool indexed = false; // its documents are to come from its stored index
        if (const nsf::Item* formula = note.find(u"$Formula"); formula && formula->unreadable.empty() && !kind.folder) {
            try {
                compiled = nsf::DecodeCompiledFormulas(formula->value);
            } catch (const nsf::FormatError&) {
                compiled.hasSelection = true; // a selection there is, not read
            }
            if (const auto selection = compiled.selection; selection && Evaluable(*selection)) {
                view.selection = u"SELECT (" + selection->substr(7) + u") & @IsUnavailable($Name)";
            } else if (compiled.hasSelection) {
                QStringList words;
                for (const uint16_t w : compiled.unknownWords)
                    words << QString::fromStdString(nsf::Hex(w));
                unknownWords = words.join(QStringLiteral(", "));
                indexed = true;
            }
        }
        const nsf::Item* format = note.find(u"$VIEWFORMAT");
        if (format && format->unreadable.empty() && format->type == nsf::data_type::kViewFormat) {
            try {
                size_t number = 0;
                for (const auto& column : nsf::DecodeViewFormat(format->value)) {
                    ++number;
                    ColumnDef def;
                    def.title = column.title;
                    def.sort = !column.sorted      ? sort_order::kNone
                               : column.descending ? sort_order::kDescending
                                                   : sort_order::kAscending;
                    const auto shown = std::find_if(compiled.columnItems.begin(), compiled.columnItems.end(),
                                                    [&](const auto& c) { return c.first == column.itemName; });
                    if (!column.hasFormula && !column.itemName.empty() && column.itemName.front() != u'$') {
                        def.item = column.itemName;
                    } else if (shown != compiled.columnItems.end()) {
                        def.item = shown->second; // a formula that only shows an item
                    } else {
                        m_target.report(where, report_text::CompiledColumn(name, static_cast<qsizetype>(number)));
                    }
                    view.columns.push_back(std::move(def));
                }
            } catch (const nsf::FormatError& e) {
                m_target.report(where, report_text::ColumnsNotRead(name, QString::fromStdString(e.what())));
                view.columns.clear();
            }
        } else {
            m_target.report(where, report_text::ColumnsNotRead(name, {}));
        }
        if (kind.folder) {
            // Its members are known once the documents are: the folder waits for them.
            m_folders.push_back({std::move(view), ObjectId(note, u"$FolderObject"), where, {}, false});
            return;
        }
        if (indexed) {
            // Where its selection cannot be read, its stored index says which documents it lists.
            m_folders.push_back({std::move(view), ObjectId(note, u"$ViewContainer"), where, unknownWords, true});
            return;
        }
        m_target.addView(view);
    }

    // Whether the store's formulas take text (a decoded program always makes one they should).
    // One they refuse is not lost without a word: the view then lists its stored index, and the
    // report says why.
    static bool Evaluable(const std::u16string& text) {
        try {
            store::Formula formula(text);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    // The id of the object an item names ($FolderObject, $ViewContainer), 0 when there is none.
    static uint32_t ObjectId(const nsf::Note& note, std::u16string_view item) {
        const nsf::Item* members = note.find(item);
        if (!members || !members->unreadable.empty() || members->type != nsf::data_type::kObject ||
            members->value.size() < nsf::disk::file_object::kRrvId + 4)
            return 0;
        return nsf::Bytes(members->value).u32(nsf::disk::file_object::kRrvId);
    }

    // A folder as a view that lists exactly its members, each named by its universal ID; and a view
    // whose selection cannot be read, listing what its stored index lists (or, without a readable
    // index, every document but profile documents, as said).
    void addFolder(Folder& folder) {
        const QString name = Text(folder.view.name);
        std::vector<std::u16string> members;
        try {
            if (folder.objectId == 0)
                throw nsf::FormatError(
                    (folder.fromIndex ? report_text::NoStoredIndex() : report_text::NoMemberList()).toStdString());
            if (folder.fromIndex) {
                for (const uint32_t id : m_db->readViewIndex(folder.objectId))
                    if (const auto document = m_documentUnids.find(id);
                        document != m_documentUnids.end() && !m_profiles.count(id))
                        members.emplace_back(document->second.begin(), document->second.end());
                m_target.report(folder.where, report_text::ViewFromIndex(name, folder.unknownWords));
            } else {
                members = FolderMembers(m_db->readObjectData(folder.objectId));
            }
        } catch (const nsf::FormatError& e) {
            if (folder.fromIndex) {
                m_target.report(folder.where, folder.unknownWords.isEmpty()
                                                  ? report_text::CompiledSelection(name)
                                                  : report_text::SelectionWords(name, folder.unknownWords));
                m_target.addView(folder.view);
                return;
            }
            m_target.reportLoss(folder.where, report_text::FolderNotRead(name, QString::fromStdString(e.what())));
            return;
        }
        std::u16string selection = members.empty() ? u"SELECT @False" : u"SELECT @DocumentUniqueID = ";
        for (size_t i = 0; i < members.size(); ++i)
            selection += (i == 0 ? u"\"" : u" : \"") + members[i] + u"\"";
        folder.view.selection = std::move(selection);
        m_target.addView(folder.view, folder.where,
                         [name](const QString& reason) { return report_text::FolderNotRead(name, reason); });
    }

    // The members a $FolderObject lists: one 36-byte entry each at its end (universal ID, note
    // id, two times), read back from the end while each names a document of this file.
    std::vector<std::u16string> FolderMembers(const std::string& object) const {
        constexpr size_t kEntry = 36;
        std::vector<std::u16string> members;
        const nsf::Bytes bytes(object);
        for (size_t end = object.size(); end >= kEntry; end -= kEntry) {
            const std::string unid = nsf::UnidText(bytes, end - kEntry);
            const auto document = m_documentUnids.find(bytes.u32(end - kEntry + 16));
            if (document == m_documentUnids.end() || document->second != unid)
                break;
            members.emplace(members.begin(), unid.begin(), unid.end());
        }
        return members;
    }

    ImportTarget& m_target;
    QString m_file;
    // Items left out for their type: (name, (type, why)) -> how many documents.
    std::map<std::pair<QString, std::pair<QString, QString>>, int64_t> m_leftOut;
    std::map<std::u16string, nsf::RichTextReader> m_richText;  // the current document's
    nsf::Database* m_db = nullptr;                             // while run() reads it
    const nsf::Note* m_note = nullptr;                         // while addDocument() reads it
    std::vector<Folder> m_folders;                             // added once the documents are read
    std::unordered_map<uint32_t, std::string> m_documentUnids; // note id -> universal ID
    std::unordered_set<uint32_t> m_profiles;                   // note ids of profile documents
    int64_t m_pictures = 0;
    int64_t m_documents = 0;
    int64_t m_notesUnread = 0;
};

} // namespace

bool IsDominoDatabaseFile(const fs::path& file) {
    QFile input(QtPath(file));
    if (!input.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = input.read(16);
    return nsf::Database::HasSignature(std::string_view(head.constData(), static_cast<size_t>(head.size())));
}

void ImportDominoDatabase(const fs::path& file, ImportTarget& target) {
    try {
        nsf::Database db(file);
        NativeImport(file, target).run(db);
    } catch (const nsf::FormatError& e) {
        throw ImportError(PathText(file) + ": " + e.what());
    }
}

} // namespace importer
