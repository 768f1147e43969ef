#include "import/DxlImport.h"

#include "import/DxlSource.h"
#include "import/ImportTarget.h"
#include "import/ReportText.h"
#include "interfaces/DominoObjects.h"
#include "interfaces/Text.h"
#include "platform/WholeFile.h"
#include "store/Formula.h"
#include "store/StoreFile.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace importer {

using namespace store;

namespace {

namespace fs = std::filesystem;

using namespace dxl;
using namespace item_type;

void Append(QString& text, QStringView more) {
    text += more;
}

void Append(std::u16string& text, QStringView more) {
    text.append(reinterpret_cast<const char16_t*>(more.utf16()), static_cast<size_t>(more.size()));
}

std::u16string U16(QStringView text) {
    return text.toString().toStdU16String();
}

bool Parses(const std::u16string& formula) {
    try {
        Formula parsed(formula);
        return true;
    } catch (const FormulaError&) {
        return false;
    }
}

class Importer {
public:
    explicit Importer(ImportTarget& target) : m_target(target) {}

    void importFile(const fs::path& file) {
        QFile input(QtPath(file));
        m_fileName = QtPath(file.filename());
        if (!input.open(QIODevice::ReadOnly))
            throw ImportError((QtPath(file) + QStringLiteral(": ") + input.errorString()).toStdString());
        m_xml.setDevice(&input);
        // External entities and the DTD named in the DOCTYPE are never fetched.
        while (!m_xml.atEnd()) {
            if (m_xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (m_xml.name() == u"database")
                continue; // its children are the notes
            readNote();
        }
        if (m_xml.hasError()) {
            // The reader decodes ahead of where it parses, so bytes that are no UTF-8 surface as
            // some other error at another place: the file itself tells where they are.
            if (const auto bad = FirstInvalidUtf8(input))
                throw ImportError(report_text::NotUtf8(QtPath(file), bad->first, bad->second).toStdString());
            throw ImportError(QStringLiteral("%1:%2:%3: %4")
                                  .arg(QtPath(file))
                                  .arg(m_xml.lineNumber())
                                  .arg(m_xml.columnNumber())
                                  .arg(m_xml.errorString())
                                  .toStdString());
        }
        m_xml.setDevice(nullptr);
        m_target.countPictures(std::exchange(m_pictures, 0));
    }

private:
    void note(qint64 line, const QString& text) {
        m_target.report(QStringLiteral("%1:%2").arg(m_fileName).arg(line), text);
    }

    // The text of the current element and of everything inside it, read to its end without
    // recursion, so that no depth of nesting can exhaust the stack. A reference to an entity the
    // file does not declare stays as written, and is reported.
    // Text is QString or std::u16string: a long text value is built where it is kept, not copied.
    template <class Text = QString> Text readText() {
        Text text;
        for (int64_t depth = 1; depth > 0;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                ++depth;
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            case QXmlStreamReader::Characters:
                Append(text, m_xml.text());
                break;
            case QXmlStreamReader::EntityReference:
                note(m_xml.lineNumber(), report_text::EntityUndeclared(m_xml.name().toString()));
                Append(text, QString(QLatin1Char('&') + m_xml.name().toString() + QLatin1Char(';')));
                break;
            case QXmlStreamReader::Invalid:
                return text; // the error ends the file's import
            default:
                break;
            }
        }
        return text;
    }

    // Base64 content of an element, decoded; characters outside base64 are reported.
    QByteArray readBase64(const QString& what) {
        const qint64 line = m_xml.lineNumber();
        const QString text = readText();
        if (!IsCleanBase64(text))
            note(line, report_text::NotBase64(what));
        return QByteArray::fromBase64(text.toLatin1());
    }

    void readNote() {
        const QStringView name = m_xml.name();
        if (name == u"document" ||
            (name == u"note" && m_xml.attributes().value(QLatin1String("class")) == u"document")) {
            readDocument();
        } else if (name == u"view") {
            readView();
        } else {
            note(m_xml.lineNumber(), report_text::SkippedElement(name.toString()));
            m_xml.skipCurrentElement();
        }
    }

    void readDocument() {
        const qint64 line = m_xml.lineNumber();
        NoteData doc;
        doc.form = U16(m_xml.attributes().value(QLatin1String("form")));
        QHash<QString, QString> objectRefs; // embedded objects the rich text refers to: name -> class
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"noteinfo")
                readNoteInfo(doc);
            else if (m_xml.name() == u"item")
                readItem(doc, objectRefs);
            else
                m_xml.skipCurrentElement(); // history: updatedby, revisions, ...
        }
        if (m_xml.hasError())
            return;
        int storageParts = 0;
        for (auto& file : doc.files) {
            if (const auto ref = objectRefs.constFind(QString::fromStdU16String(file.name)); ref != objectRefs.cend()) {
                file.kind = file_kind::kObject;
                file.objectClass = ref->toStdU16String();
            } else if (m_storageParts.contains(QString::fromStdU16String(file.name))) {
                // A page of an embedded object's storage: it stays with the objects, it is no attachment.
                file.kind = file_kind::kObject;
                ++storageParts;
            }
        }
        m_storageParts.clear();
        if (storageParts > 0)
            note(line, report_text::StorageParts(storageParts));
        m_target.addDocument(std::move(doc), QStringLiteral("%1:%2").arg(m_fileName).arg(line));
    }

    void readNoteInfo(NoteData& doc) {
        doc.unid = U16(m_xml.attributes().value(QLatin1String("unid")));
        while (m_xml.readNextStartElement()) {
            const bool created = m_xml.name() == u"created";
            if (!created && m_xml.name() != u"modified") {
                m_xml.skipCurrentElement();
                continue;
            }
            const qint64 line = m_xml.lineNumber();
            if (const auto value = readWrappedDateTime())
                (created ? doc.created : doc.modified) = *value;
            else
                note(line, created ? report_text::CreatedMissing() : report_text::ModifiedMissing());
        }
    }

    // The <datetime> inside the current element (<created><datetime>...</datetime></created>);
    // reads to the element's end.
    std::optional<double> readWrappedDateTime() {
        std::optional<double> value;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"datetime")
                value = ParseDateTime(readText());
            else
                m_xml.skipCurrentElement();
        }
        return value;
    }

    // One value element (text, number, datetime) into values; the item's type from the first.
    bool readValue(ItemData& item) {
        const QStringView name = m_xml.name();
        const qint64 line = m_xml.lineNumber();
        if (name == u"text") {
            item.values.emplace_back(readText<std::u16string>());
            item.type = item.type ? item.type : kText;
        } else if (name == u"number") {
            bool ok = false;
            const double value = readText().trimmed().toDouble(&ok);
            if (ok && !std::isfinite(value)) {
                note(line, report_text::NotFinite(QString::fromStdU16String(item.name)));
                return true;
            }
            if (!ok) {
                note(line, report_text::NotANumber(QString::fromStdU16String(item.name)));
                return true;
            }
            item.values.emplace_back(value);
            item.type = item.type ? item.type : kNumbers;
        } else if (name == u"datetime") {
            const QString text = readText();
            const auto date = ParseDateTime(text);
            if (!date) {
                note(line, report_text::NotADateTime(QString::fromStdU16String(item.name), text));
                return true;
            }
            item.values.emplace_back(OleDate{*date});
            item.type = item.type ? item.type : kDateTimes;
        } else if (name == u"datetimepair") {
            while (m_xml.readNextStartElement())
                readValue(item);
        } else {
            return false;
        }
        return true;
    }

    void readItem(NoteData& doc, QHash<QString, QString>& objectRefs) {
        const qint64 line = m_xml.lineNumber();
        const QXmlStreamAttributes attributes = m_xml.attributes();
        ItemData item;
        item.name = U16(attributes.value(QLatin1String("name")));
        if (attributes.value(QLatin1String("summary")) == u"true")
            item.flags |= item_flag::kSummary;
        bool keep = true;
        bool fileItem = false;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (readValue(item))
                continue;
            if (name == u"textlist" || name == u"numberlist" || name == u"datetimelist") {
                item.type = name == u"textlist" ? kText : name == u"numberlist" ? kNumbers : kDateTimes;
                while (m_xml.readNextStartElement())
                    if (!readValue(item))
                        m_xml.skipCurrentElement();
            } else if (name == u"richtext") {
                item.type = kRichText;
                item.richText = captureRichText(objectRefs);
            } else if (name == u"object") {
                fileItem = true;
                readObject(doc);
            } else if (name == u"rawitemdata" && IsMailItem(m_xml.attributes().value(QLatin1String("type")).toInt())) {
                const int type = m_xml.attributes().value(QLatin1String("type")).toInt();
                const QByteArray raw = readBase64(report_text::ItemPlace(QString::fromStdU16String(item.name)));
                const auto text = type == kMimePart ? std::optional(MimePartText(raw)) : Rfc822Text(raw);
                if (!text) {
                    note(m_xml.lineNumber(), report_text::MailItemDamaged(QString::fromStdU16String(item.name)));
                    keep = false;
                    continue;
                }
                item.values.emplace_back(*text);
                item.type = kText;
            } else {
                note(m_xml.lineNumber(),
                     report_text::NotAStoreElement(QString::fromStdU16String(item.name), name.toString()));
                keep = false;
                m_xml.skipCurrentElement();
            }
        }
        if (fileItem || !keep)
            return; // a $FILE item is made again for each file object
        if (item.type == 0) {
            note(line, report_text::NoKnownValue(QString::fromStdU16String(item.name)));
            return;
        }
        if (item.type == kText) {
            if (attributes.value(QLatin1String("names")) == u"true")
                item.type = kNames;
            else if (attributes.value(QLatin1String("readers")) == u"true")
                item.type = kReaders;
            else if (attributes.value(QLatin1String("authors")) == u"true")
                item.type = kAuthors;
        }
        doc.items.push_back(std::move(item));
    }

    // <object><file name=...><created/><modified/><filedata>base64</filedata></file></object>
    void readObject(NoteData& doc) {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"file") {
                m_xml.skipCurrentElement();
                continue;
            }
            FileData file;
            file.name = U16(m_xml.attributes().value(QLatin1String("name")));
            if (m_xml.attributes().value(QLatin1String("hosttype")) == u"bytearraypage")
                m_storageParts.insert(QString::fromStdU16String(file.name));
            while (m_xml.readNextStartElement()) {
                const QStringView name = m_xml.name();
                if (name == u"filedata") {
                    file.bytes = readBase64(report_text::FilePlace(QString::fromStdU16String(file.name))).toStdString();
                } else if (name == u"created") {
                    file.created = readWrappedDateTime().value_or(file.created);
                } else if (name == u"modified") {
                    file.modified = readWrappedDateTime().value_or(file.modified);
                } else {
                    m_xml.skipCurrentElement();
                }
            }
            doc.files.push_back(std::move(file));
        }
    }

    // The <richtext> element at the reader, written again as a fragment; counts its pictures and
    // notes the embedded objects it refers to. Elements are written by their local names: the
    // fragment takes the namespace of the DXL it is put into, so it never carries a prefix that
    // nothing declares.
    std::string captureRichText(QHash<QString, QString>& objectRefs) {
        QByteArray fragment;
        QXmlStreamWriter out(&fragment);
        const auto start = [&] {
            out.writeStartElement(m_xml.name().toString());
            for (const QXmlStreamAttribute& attribute : m_xml.attributes())
                out.writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
        };
        start();
        for (int64_t depth = 1; depth > 0 && !m_xml.atEnd();) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement: {
                ++depth;
                const QStringView name = m_xml.name();
                if (name == u"gif" || name == u"jpeg" || name == u"png" || name == u"notesbitmap")
                    ++m_pictures;
                else if (name == u"objectref")
                    objectRefs.insert(m_xml.attributes().value(QLatin1String("name")).toString(),
                                      m_xml.attributes().value(QLatin1String("class")).toString());
                start();
                break;
            }
            case QXmlStreamReader::EndElement:
                --depth;
                out.writeEndElement();
                break;
            case QXmlStreamReader::Characters:
                out.writeCharacters(m_xml.text().toString());
                break;
            case QXmlStreamReader::EntityReference:
                note(m_xml.lineNumber(), report_text::RichTextEntityUndeclared(m_xml.name().toString()));
                out.writeCharacters(QLatin1Char('&') + m_xml.name().toString() + QLatin1Char(';'));
                break;
            default:
                break; // comments and processing instructions are not part of the text
            }
        }
        return fragment.toStdString();
    }

    void readView() {
        const qint64 line = m_xml.lineNumber();
        ViewDef view;
        view.name = U16(m_xml.attributes().value(QLatin1String("name")));
        view.alias = U16(m_xml.attributes().value(QLatin1String("alias")));
        view.selection = u"SELECT @All";
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"code" && m_xml.attributes().value(QLatin1String("event")) == u"selection") {
                const std::u16string formula = readFormula();
                if (formula.empty())
                    continue;
                if (Parses(formula))
                    view.selection = formula;
                else
                    note(line, report_text::SelectionBeyond(QString::fromStdU16String(view.name)));
            } else if (m_xml.name() == u"column") {
                view.columns.push_back(readColumn(view.name, view.columns.size() + 1, line));
            } else {
                m_xml.skipCurrentElement();
            }
        }
        if (m_xml.hasError())
            return;
        m_target.addView(view);
    }

    ColumnDef readColumn(const std::u16string& viewName, size_t number, qint64 line) {
        ColumnDef column;
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QString itemName = attributes.value(QLatin1String("itemname")).toString();
        column.sort = attributes.value(QLatin1String("sort")) == u"ascending"    ? sort_order::kAscending
                      : attributes.value(QLatin1String("sort")) == u"descending" ? sort_order::kDescending
                                                                                 : sort_order::kNone;
        std::u16string formula;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"columnheader") {
                column.title = U16(m_xml.attributes().value(QLatin1String("title")));
                m_xml.skipCurrentElement();
            } else if (m_xml.name() == u"code" && m_xml.attributes().value(QLatin1String("event")) == u"value") {
                formula = readFormula();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        // Programmatic names of formula columns ("$0") name no item.
        const bool realItem = !itemName.isEmpty() && !itemName.startsWith(u'$');
        if (formula.empty()) {
            column.item = itemName.toStdU16String();
        } else if (Parses(formula)) {
            column.formula = formula;
        } else {
            column.item = realItem ? itemName.toStdU16String() : std::u16string();
            note(line, realItem ? report_text::ColumnShowsItem(QString::fromStdU16String(viewName), number)
                                : report_text::ColumnLeftEmpty(QString::fromStdU16String(viewName), number));
        }
        return column;
    }

    // The text of the <formula> inside the current <code> element.
    std::u16string readFormula() {
        std::u16string formula;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"formula")
                formula = readText().trimmed().toStdU16String();
            else
                m_xml.skipCurrentElement();
        }
        return formula;
    }

    ImportTarget& m_target;
    int64_t m_pictures = 0; // kept in the rich text read
    QXmlStreamReader m_xml;
    QString m_fileName;
    QSet<QString> m_storageParts; // the current document's pages of object storage
};

} // namespace

void ImportDxlFile(const fs::path& file, ImportTarget& target) {
    Importer(target).importFile(file);
}

} // namespace importer
