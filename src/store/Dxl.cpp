#include "store/Dxl.h"

#include "store/Formula.h"
#include "store/Images.h"
#include "store/RichText.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>

namespace store {

namespace {

bool IsPictureData(QStringView name) {
    return name == u"gif" || name == u"jpeg" || name == u"png" || name == u"notesbitmap" || name == u"cgm" ||
           name == u"bmp" || name == u"tiff" || name == u"svg";
}

std::string Text(QStringView s) {
    return s.toUtf8().toStdString();
}

std::string TextElement(const std::u16string& text) {
    // Line breaks inside a text value are written as <break/>.
    std::string out = "<text>";
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(u'\n', start);
        std::u16string part = text.substr(start, end == std::u16string::npos ? end : end - start);
        if (!part.empty() && part.back() == u'\r')
            part.pop_back();
        out += XmlEscape(Utf16ToUtf8(part));
        if (end == std::u16string::npos)
            break;
        out += "<break/>";
        start = end + 1;
    }
    return out + "</text>";
}

std::string NumberText(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string ValueElement(const Scalar& value) {
    if (auto text = std::get_if<std::u16string>(&value))
        return TextElement(*text);
    if (auto number = std::get_if<double>(&value))
        return "<number>" + NumberText(*number) + "</number>";
    return "<datetime>" + DxlDateTime(std::get<OleDate>(value).value) + "</datetime>";
}

std::string ListElement(const ValueList& values) {
    if (values.size() == 1)
        return ValueElement(values.front());
    if (values.empty())
        return "<text/>";
    const char* list = std::holds_alternative<double>(values.front())    ? "numberlist"
                       : std::holds_alternative<OleDate>(values.front()) ? "datetimelist"
                                                                         : "textlist";
    std::string out = std::string("<") + list + ">";
    for (const auto& value : values)
        out += ValueElement(value);
    return out + "</" + list + ">";
}

std::string FileItem(const FileData& file, const std::string& bytes) {
    const std::string name = XmlEscape(Utf16ToUtf8(file.name));
    const QByteArray b64 = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64();
    std::string out = "<item name='$FILE' summary='true' sign='true' seal='true'><object><file hosttype='";
    out += file.kind == file_kind::kAttachment ? "msdos" : "bytearraypage";
    out += "' compression='none' flags='storedindoc' encoding='none' name='" + name + "' size='" +
           std::to_string(bytes.size()) + "'>";
    out += "<created><datetime>" + DxlDateTime(file.created) + "</datetime></created>";
    out += "<modified><datetime>" + DxlDateTime(file.modified) + "</datetime></modified>";
    out += "<filedata>" + WrapBase64(std::string_view(b64.constData(), static_cast<size_t>(b64.size()))) +
           "</filedata></file></object></item>\n";
    return out;
}

} // namespace

std::string WrapBase64(std::string_view base64) {
    std::string out = "\n";
    out.reserve(base64.size() + base64.size() / 76 + 2);
    size_t column = 0;
    for (char c : base64) {
        if (c == '\n' || c == '\r' || c == ' ' || c == '\t')
            continue;
        out += c;
        if (++column == 76) {
            out += '\n';
            column = 0;
        }
    }
    if (column != 0)
        out += '\n';
    return out;
}

std::string DxlDateTime(double oleDate) {
    const CivilTime t = FromOleDate(oleDate);
    char buffer[40];
    if (t.hour == 0 && t.minute == 0 && t.second == 0 && t.centiseconds == 0)
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", t.year, t.month, t.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d,%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second, t.centiseconds);
    return buffer;
}

std::string RichTextToDxl(std::string_view fragment, bool convertNotesBitmapsToGif) {
    QXmlStreamReader xml(QByteArray::fromRawData(fragment.data(), static_cast<qsizetype>(fragment.size())));
    std::string out;
    out.reserve(fragment.size() + fragment.size() / 64);
    bool tagOpen = false; // "<name attrs" written, ">" or "/>" still to come
    auto closeTag = [&] {
        if (tagOpen)
            out += '>';
        tagOpen = false;
    };
    auto startTag = [&](QStringView name, const QXmlStreamAttributes& attributes) {
        out += '<' + Text(name);
        for (const auto& a : attributes)
            out += ' ' + Text(a.qualifiedName()) + "='" + XmlEscape(Text(a.value())) + "'";
    };
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            closeTag();
            if (IsPictureData(xml.name())) {
                const QString name = xml.name().toString();
                const QXmlStreamAttributes attributes = xml.attributes();
                const QByteArray payload = xml.readElementText(QXmlStreamReader::SkipChildElements).toLatin1();
                if (convertNotesBitmapsToGif && name == u"notesbitmap") {
                    const auto bitmap =
                        QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
                    if (bitmap) {
                        if (auto gif = BitmapToGif(std::string_view(bitmap.decoded.constData(),
                                                                    static_cast<size_t>(bitmap.decoded.size())))) {
                            const QByteArray b64 = QByteArray::fromStdString(*gif).toBase64();
                            out += "<gif originalformat='notesbitmap'>" +
                                   WrapBase64(std::string_view(b64.constData(), static_cast<size_t>(b64.size()))) +
                                   "</gif>";
                            break;
                        }
                    }
                }
                startTag(name, attributes);
                out += '>' + WrapBase64(std::string_view(payload.constData(), static_cast<size_t>(payload.size()))) +
                       "</" + Text(name) + '>';
                break;
            }
            startTag(xml.qualifiedName(), xml.attributes());
            tagOpen = true;
            break;
        }
        case QXmlStreamReader::EndElement:
            if (tagOpen) {
                out += "/>";
                tagOpen = false;
            } else {
                out += "</" + Text(xml.qualifiedName()) + '>';
            }
            break;
        case QXmlStreamReader::Characters:
            closeTag();
            out += XmlEscape(Text(xml.text()));
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        throw CorruptData("rich text is not well-formed: " + xml.errorString().toStdString());
    return out;
}

std::string DocumentToDxl(const NoteData& note, const std::function<std::string(const FileData&)>& fileBytes,
                          const DxlOptions& options) {
    std::string out = "<?xml version='1.0' encoding='utf-8'?>\n";
    out += "<document xmlns='http://www.lotus.com/dxl' version='9.0' maintenanceversion='1.0' replicaid='" +
           XmlEscape(options.replicaId) + "' form='" + XmlEscape(Utf16ToUtf8(note.form)) + "'>\n";
    char noteId[24];
    std::snprintf(noteId, sizeof noteId, "%llx", static_cast<unsigned long long>(note.noteId) * 4 + 2);
    const std::string created = "<datetime>" + DxlDateTime(note.created) + "</datetime>";
    const std::string modified = "<datetime>" + DxlDateTime(note.modified) + "</datetime>";
    out += "<noteinfo noteid='" + std::string(noteId) + "' unid='" + Utf16ToUtf8(note.unid) + "' sequence='1'>\n";
    out += "<created>" + created + "</created>\n<modified>" + modified + "</modified>\n<revised>" + modified +
           "</revised>\n<lastaccessed>" + modified + "</lastaccessed>\n<addedtofile>" + created +
           "</addedtofile></noteinfo>\n";
    // Files whose data is left out are as good as written already.
    std::vector<bool> fileWritten(note.files.size(), false);
    if ((options.omitRichtextAttachments || options.omitMiscFileObjects) && !note.files.empty()) {
        std::vector<std::u16string> referred;
        for (const auto& item : note.items)
            if (item.type == item_type::kRichText)
                for (auto& ref : RichTextFileRefs(item.richText))
                    referred.push_back(std::move(ref.name));
        for (size_t i = 0; i < note.files.size(); ++i) {
            const bool inRichText = std::find(referred.begin(), referred.end(), note.files[i].name) != referred.end();
            fileWritten[i] = inRichText ? options.omitRichtextAttachments : options.omitMiscFileObjects;
        }
    }
    for (const auto& item : note.items) {
        if (item.type == item_type::kAttachment) {
            // A $FILE item carries its file object.
            const std::u16string name =
                item.values.empty() || !std::holds_alternative<std::u16string>(item.values.front())
                    ? std::u16string()
                    : std::get<std::u16string>(item.values.front());
            for (size_t i = 0; i < note.files.size(); ++i)
                if (!fileWritten[i] && note.files[i].name == name) {
                    out += FileItem(note.files[i], fileBytes(note.files[i]));
                    fileWritten[i] = true;
                    break;
                }
            continue;
        }
        out += "<item name='" + XmlEscape(Utf16ToUtf8(item.name)) + "'";
        if (item.flags & item_flag::kSummary && item.type != item_type::kRichText)
            out += " summary='true'";
        if (item.type == item_type::kNames)
            out += " names='true'";
        else if (item.type == item_type::kReaders)
            out += " readers='true'";
        else if (item.type == item_type::kAuthors)
            out += " authors='true'";
        out += '>';
        if (item.type == item_type::kRichText)
            out += RichTextToDxl(item.richText, options.convertNotesBitmapsToGif);
        else
            out += ListElement(item.values);
        out += "</item>\n";
    }
    for (size_t i = 0; i < note.files.size(); ++i)
        if (!fileWritten[i])
            out += FileItem(note.files[i], fileBytes(note.files[i]));
    out += "</document>\n";
    return out;
}

} // namespace store
