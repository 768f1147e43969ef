#include "NativeDump.h"

#include "nsf/Database.h"
#include "nsf/Values.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace dump {

namespace {

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonValue TimeValue(nsf::TimeDate value) {
    const auto time = nsf::DecodeTime(value);
    return time ? QJsonValue(QString::fromStdString(nsf::TimeText(*time))) : QJsonValue();
}

QJsonObject ItemObject(nsf::Database& db, const nsf::Item& item) {
    QJsonObject out{{"name", Text(item.name)},
                    {"type", QString::fromStdString(nsf::DataTypeName(item.type))},
                    {"typecode", item.type},
                    {"flags", item.flags}};
    if (!item.unreadable.empty()) {
        out["unreadable"] = QString::fromStdString(item.unreadable);
        return out;
    }
    try {
        if (item.type == nsf::data_type::kComposite) {
            QJsonArray paragraphs;
            for (const auto& paragraph : nsf::DecodeRichText(item.value).paragraphs)
                paragraphs.append(Text(paragraph));
            out["richtext"] = paragraphs;
        } else if (item.type == nsf::data_type::kViewFormat) {
            QJsonArray columns;
            for (const auto& column : nsf::DecodeViewFormat(item.value))
                columns.append(QJsonObject{{"title", Text(column.title)},
                                           {"item", Text(column.itemName)},
                                           {"formula", column.hasFormula},
                                           {"sorted", column.sorted},
                                           {"descending", column.descending},
                                           {"hidden", column.hidden}});
            out["columns"] = columns;
        } else if (item.type == nsf::data_type::kObject && Text(item.name).compare("$FILE", Qt::CaseInsensitive) == 0) {
            // An attachment: its file object, and the bytes it stands for, decoded and checked.
            const nsf::FileObject file = nsf::DecodeFileObject(item.value);
            QJsonObject attachment{{"name", Text(file.name)}, {"size", static_cast<qint64>(file.size)}};
            try {
                const std::string bytes = db.readAttachment(file.objectId, file.compression, file.size);
                attachment["md5"] = QString::fromLatin1(
                    QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5).toHex());
            } catch (const nsf::FormatError& e) {
                attachment["unreadable"] = QString::fromStdString(e.what());
            }
            out["attachment"] = attachment;
        } else if (nsf::IsValueType(item.type)) {
            QJsonArray values;
            for (const auto& value : nsf::DecodeValues(item.type, item.value).values) {
                if (const auto* text = std::get_if<std::u16string>(&value))
                    values.append(Text(*text));
                else if (const auto* number = std::get_if<double>(&value))
                    values.append(*number);
                else
                    values.append(QString::fromStdString(nsf::TimeText(std::get<nsf::Time>(value))));
            }
            out["values"] = values;
        } else {
            out["bytes"] = static_cast<qint64>(item.value.size());
        }
    } catch (const nsf::FormatError& e) {
        out["unreadable"] = QString::fromStdString(e.what());
    }
    return out;
}

} // namespace

void DumpNativeDatabase(const std::filesystem::path& file, std::ostream& out) {
    nsf::Database db(file);
    QJsonArray problems;
    for (const auto& problem : db.problems())
        problems.append(QString::fromStdString(problem));
    for (const auto& notice : db.notices())
        problems.append(QString::fromStdString(notice));
    QJsonArray notes;
    for (const auto& ref : db.notes()) {
        QJsonObject note{{"id", static_cast<qint64>(ref.noteId)}};
        try {
            const auto read = db.readNote(ref);
            if (!read)
                continue;
            note["class"] = read->noteClass;
            note["unid"] = QString::fromStdString(read->unid);
            note["created"] = TimeValue(read->created);
            note["modified"] = TimeValue(read->modified);
            QJsonArray items;
            for (const auto& item : read->items)
                items.append(ItemObject(db, item));
            note["items"] = items;
        } catch (const nsf::FormatError& e) {
            note["unreadable"] = QString::fromStdString(e.what());
        }
        notes.append(note);
    }
    const QJsonObject database{{"title", Text(db.info().title)},
                               {"ods", static_cast<qint64>(db.info().ods)},
                               {"replica", QString::fromStdString(db.info().replicaId)},
                               {"problems", problems},
                               {"notes", notes}};
    out << QJsonDocument(database).toJson(QJsonDocument::Indented).toStdString();
}

} // namespace dump
