#include "store/Description.h"

#include "store/DatabaseWriter.h"
#include "store/OleTime.h"
#include "store/Password.h"
#include "store/RichText.h"
#include "store/Unid.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QXmlStreamReader>

#include <stdexcept>

namespace store {

namespace {

[[noreturn]] void Fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

std::u16string U16(const QString& s) {
    return s.toStdU16String();
}

std::string ReadFile(const std::filesystem::path& baseDir, const QString& name) {
    std::filesystem::path path(name.toStdU16String());
    if (path.is_relative())
        path = baseDir / path;
    QFile file(QString::fromStdU16String(path.u16string()));
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
    return file.readAll().toStdString();
}

// Bytes of a file object or picture: "file" (a path), "base64" or "text".
std::string Payload(const QJsonObject& object, const std::filesystem::path& baseDir, const QString& what) {
    if (object.contains(u"file"))
        return ReadFile(baseDir, object.value(u"file").toString());
    if (object.contains(u"base64")) {
        const auto decoded = QByteArray::fromBase64Encoding(object.value(u"base64").toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            Fail(QStringLiteral("%1: invalid base64").arg(what));
        return decoded.decoded.toStdString();
    }
    if (object.contains(u"text"))
        return object.value(u"text").toString().toUtf8().toStdString();
    Fail(QStringLiteral("%1 needs \"file\", \"base64\" or \"text\"").arg(what));
}

std::optional<double> Date(const QJsonValue& value) {
    return ParseIsoDate(value.toString().toStdU16String());
}

int32_t TypeCode(const QString& type, const QJsonValue& value) {
    if (type.isEmpty()) {
        const QJsonValue first = value.isArray() ? value.toArray().first() : value;
        return first.isDouble() ? item_type::kNumbers : item_type::kText;
    }
    static const std::pair<const char16_t*, int32_t> kTypes[] = {
        {u"text", item_type::kText},          {u"number", item_type::kNumbers},      {u"numbers", item_type::kNumbers},
        {u"datetime", item_type::kDateTimes}, {u"datetimes", item_type::kDateTimes}, {u"names", item_type::kNames},
        {u"readers", item_type::kReaders},    {u"authors", item_type::kAuthors},     {u"richtext", 1}};
    for (const auto& [name, code] : kTypes)
        if (type.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return code;
    Fail(QStringLiteral("unknown item type \"%1\"").arg(type));
}

std::string RichText(const QJsonValue& value, NoteData& note, const std::filesystem::path& baseDir,
                     const QString& itemName) {
    if (value.isString()) {
        // A DXL <richtext> fragment, kept as it is once known to be well-formed.
        const QByteArray fragment = value.toString().toUtf8();
        QXmlStreamReader xml(fragment);
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError() || !fragment.trimmed().startsWith("<richtext"))
            Fail(QStringLiteral("item %1: not a well-formed <richtext> fragment").arg(itemName));
        return fragment.toStdString();
    }
    RichTextBuilder builder;
    for (const auto& blockValue : value.toArray()) {
        if (blockValue.isString()) {
            builder.addParagraph(U16(blockValue.toString()));
            continue;
        }
        const QJsonObject block = blockValue.toObject();
        if (block.contains(u"picture")) {
            const QJsonObject picture = block.value(u"picture").toObject();
            const std::string bytes = Payload(picture, baseDir, QStringLiteral("picture in %1").arg(itemName));
            QString format = picture.value(u"format").toString(QStringLiteral("gif"));
            if (format == u"jpg")
                format = QStringLiteral("jpeg");
            if (format == u"bitmap" || format == u"bmp")
                format = QStringLiteral("notesbitmap");
            auto [width, height] = PictureSize(bytes);
            width = picture.value(u"width").toInt(width);
            height = picture.value(u"height").toInt(height);
            builder.addPicture(format.toStdString(), bytes, width, height);
        } else if (block.contains(u"attachment") || block.contains(u"object")) {
            const bool object = block.contains(u"object");
            const std::u16string name = U16(block.value(object ? u"object" : u"attachment").toString());
            const FileData* file = nullptr;
            for (const auto& f : note.files)
                if (f.name == name && (f.kind == file_kind::kObject) == object)
                    file = &f;
            if (!file)
                Fail(QStringLiteral("item %1 refers to %2 \"%3\", which the document does not hold")
                         .arg(itemName, object ? QStringLiteral("object") : QStringLiteral("attachment"),
                              QString::fromStdU16String(name)));
            if (object)
                builder.addObjectRef(name, file->objectClass);
            else
                builder.addAttachmentRef(name);
        } else {
            Fail(QStringLiteral("item %1: unknown rich-text block").arg(itemName));
        }
    }
    return builder.fragment();
}

} // namespace

std::pair<int, int> PictureSize(std::string_view b) {
    auto u8 = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(b[i])); };
    if (b.size() >= 10 && b.substr(0, 3) == "GIF")
        return {static_cast<int>(u8(6) | u8(7) << 8), static_cast<int>(u8(8) | u8(9) << 8)};
    if (b.size() >= 24 && b.substr(0, 8) == "\x89PNG\r\n\x1a\n")
        return {static_cast<int>(u8(16) << 24 | u8(17) << 16 | u8(18) << 8 | u8(19)),
                static_cast<int>(u8(20) << 24 | u8(21) << 16 | u8(22) << 8 | u8(23))};
    if (b.size() >= 26 && b.substr(0, 2) == "BM")
        return {static_cast<int>(u8(18) | u8(19) << 8), static_cast<int>(u8(22) | u8(23) << 8)};
    if (b.size() >= 4 && u8(0) == 0xFF && u8(1) == 0xD8) {
        size_t i = 2;
        while (i + 9 < b.size()) {
            if (u8(i) != 0xFF)
                break;
            const unsigned marker = u8(i + 1);
            const size_t length = u8(i + 2) << 8 | u8(i + 3);
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
                return {static_cast<int>(u8(i + 7) << 8 | u8(i + 8)), static_cast<int>(u8(i + 5) << 8 | u8(i + 6))};
            i += 2 + length;
        }
    }
    return {0, 0};
}

ViewDef ViewFromJson(const QJsonObject& object) {
    ViewDef view;
    view.name = U16(object.value(u"name").toString());
    if (view.name.empty())
        Fail(QStringLiteral("a view needs a name"));
    view.alias = U16(object.value(u"alias").toString());
    view.selection = U16(object.value(u"selection").toString(QStringLiteral("SELECT @All")));
    for (const auto& value : object.value(u"columns").toArray()) {
        const QJsonObject c = value.toObject();
        ColumnDef column;
        column.title = U16(c.value(u"title").toString());
        column.item = U16(c.value(u"item").toString());
        column.formula = U16(c.value(u"formula").toString());
        if (column.item.empty() && column.formula.empty())
            column.item = column.title;
        const QString sort = c.value(u"sort").toString();
        if (sort.isEmpty() || sort == u"none")
            column.sort = sort_order::kNone;
        else if (sort == u"ascending")
            column.sort = sort_order::kAscending;
        else if (sort == u"descending")
            column.sort = sort_order::kDescending;
        else
            Fail(QStringLiteral("view %1: unknown sort \"%2\"").arg(QString::fromStdU16String(view.name), sort));
        view.columns.push_back(std::move(column));
    }
    return view;
}

NoteData NoteFromJson(const QJsonObject& object, const std::filesystem::path& baseDir) {
    NoteData note;
    note.form = U16(object.value(u"form").toString());
    note.unid = U16(object.value(u"unid").toString());
    if (!note.unid.empty() && !IsValidUnid(note.unid))
        Fail(QStringLiteral("invalid universal ID %1").arg(object.value(u"unid").toString()));
    for (const auto* key : {u"created", u"modified"}) {
        if (!object.contains(QStringView(key)))
            continue;
        const auto date = Date(object.value(QStringView(key)));
        if (!date)
            Fail(QStringLiteral("unreadable %1 date \"%2\"")
                     .arg(QStringView(key).toString(), object.value(QStringView(key)).toString()));
        (std::u16string_view(key) == u"created" ? note.created : note.modified) = *date;
    }
    for (const auto* key : {u"attachments", u"objects"}) {
        const bool objects = std::u16string_view(key) == u"objects";
        for (const auto& value : object.value(QStringView(key)).toArray()) {
            const QJsonObject f = value.toObject();
            FileData file;
            file.name = U16(f.value(u"name").toString());
            if (file.name.empty())
                Fail(QStringLiteral("a file object needs a name"));
            file.kind = objects ? file_kind::kObject : file_kind::kAttachment;
            file.objectClass = U16(f.value(u"class").toString());
            file.bytes = Payload(f, baseDir, QStringLiteral("file %1").arg(f.value(u"name").toString()));
            note.files.push_back(std::move(file));
        }
    }
    for (const auto& value : object.value(u"items").toArray()) {
        const QJsonObject i = value.toObject();
        ItemData item;
        const QString name = i.value(u"name").toString();
        if (name.isEmpty())
            Fail(QStringLiteral("an item needs a name"));
        item.name = U16(name);
        const QJsonValue v = i.value(u"value");
        if (i.value(u"type").toString() == u"password") {
            // A password is kept only as its salted hash.
            item.type = item_type::kText;
            item.flags = item_flag::kSummary;
            item.values.emplace_back(HashPassword(U16(v.toString())));
            note.items.push_back(std::move(item));
            continue;
        }
        item.type = TypeCode(i.value(u"type").toString(), v);
        item.flags = item.type == item_type::kRichText ? 0 : item_flag::kSummary;
        if (item.type == item_type::kRichText) {
            item.richText = RichText(v, note, baseDir, name);
        } else {
            const QJsonArray values = v.isArray() ? v.toArray() : QJsonArray{v};
            for (const auto& element : values) {
                if (item.type == item_type::kNumbers) {
                    if (!element.isDouble())
                        Fail(QStringLiteral("item %1: numbers expected").arg(name));
                    item.values.emplace_back(element.toDouble());
                } else if (item.type == item_type::kDateTimes) {
                    const auto date = Date(element);
                    if (!date)
                        Fail(QStringLiteral("item %1: unreadable date \"%2\"").arg(name, element.toString()));
                    item.values.emplace_back(OleDate{*date});
                } else {
                    item.values.emplace_back(
                        U16(element.isDouble() ? QString::number(element.toDouble()) : element.toString()));
                }
            }
        }
        note.items.push_back(std::move(item));
    }
    return note;
}

int CreateDatabaseFromJson(const std::filesystem::path& nsf, const QByteArray& json,
                           const std::filesystem::path& baseDir) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull())
        Fail(QStringLiteral("JSON error at offset %1: %2").arg(error.offset).arg(error.errorString()));
    const QJsonObject root = document.object();
    int count = 0;
    // The writer builds the file beside nsf and replaces nsf only when all went well.
    auto writer = DatabaseWriter::Create(nsf, U16(root.value(u"title").toString()));
    for (const auto& view : root.value(u"views").toArray())
        writer->addView(ViewFromJson(view.toObject()));
    for (const auto& doc : root.value(u"documents").toArray()) {
        writer->addNote(NoteFromJson(doc.toObject(), baseDir));
        ++count;
    }
    writer->commit();
    return count;
}

} // namespace store
