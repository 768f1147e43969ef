#include "store/Dxl.h"

#include "store/Formula.h"
#include "store/Fragment.h"
#include "store/Images.h"
#include "store/OleTime.h"
#include "store/RichText.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdio>

namespace store {

namespace {

bool IsPictureData(std::string_view name) {
    return name == "gif" || name == "jpeg" || name == "png" || name == "notesbitmap" || name == "cgm" ||
           name == "bmp" || name == "tiff" || name == "svg";
}

void AppendText(std::string& out, const std::u16string& text) {
    // Line breaks inside a text value are written as <break/>.
    out += "<text>";
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(u'\n', start);
        std::u16string_view part =
            std::u16string_view(text).substr(start, end == std::u16string::npos ? end : end - start);
        if (!part.empty() && part.back() == u'\r')
            part.remove_suffix(1);
        AppendXmlEscaped(out, Utf16ToUtf8(part));
        if (end == std::u16string::npos)
            break;
        out += "<break/>";
        start = end + 1;
    }
    out += "</text>";
}

std::string NumberText(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

void AppendValue(std::string& out, const Scalar& value) {
    if (auto text = std::get_if<std::u16string>(&value)) {
        AppendText(out, *text);
    } else if (auto number = std::get_if<double>(&value)) {
        out += "<number>";
        out += NumberText(*number);
        out += "</number>";
    } else {
        out += "<datetime>";
        out += DxlDateTime(std::get<OleDate>(value).value);
        out += "</datetime>";
    }
}

void AppendList(std::string& out, const ValueList& values) {
    if (values.size() == 1)
        return AppendValue(out, values.front());
    if (values.empty()) {
        out += "<text/>";
        return;
    }
    const char* list = std::holds_alternative<double>(values.front())    ? "numberlist"
                       : std::holds_alternative<OleDate>(values.front()) ? "datetimelist"
                                                                         : "textlist";
    out += '<';
    out += list;
    out += '>';
    for (const auto& value : values)
        AppendValue(out, value);
    out += "</";
    out += list;
    out += '>';
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

namespace {

// A fragment written again as DXL: attributes single-quoted, empty elements closed in their
// tag, picture data wrapped at 76 columns; Notes bitmaps turned into GIF when asked.
class DxlRichText : public fragment::Handler {
public:
    DxlRichText(std::string& out, bool convertNotesBitmapsToGif) : m_out(out), m_convert(convertNotesBitmapsToGif) {}

    void start(std::string_view name, std::string_view qualified,
               const std::vector<fragment::Attribute>& attributes) override {
        if (m_pictureDepth > 0) {
            ++m_pictureDepth; // an element inside picture data is skipped with its text
            return;
        }
        closeTag();
        if (IsPictureData(name)) {
            m_pictureDepth = 1;
            m_picture.assign(name);
            m_pictureAttributes.clear();
            for (const auto& attribute : attributes)
                m_pictureAttributes.emplace_back(attribute.name, attribute.value);
            m_payload.clear();
            return;
        }
        startTag(qualified);
        for (const auto& attribute : attributes)
            writeAttribute(attribute.name, attribute.value);
        m_tagOpen = true;
    }

    void end(std::string_view, std::string_view qualified) override {
        if (m_pictureDepth > 0) {
            if (--m_pictureDepth == 0)
                writePicture();
        } else if (m_tagOpen) {
            m_out += "/>";
            m_tagOpen = false;
        } else {
            m_out += "</";
            m_out += qualified;
            m_out += '>';
        }
    }

    void text(std::string_view text) override {
        if (m_pictureDepth > 0) {
            if (m_pictureDepth == 1)
                m_payload += text;
            return;
        }
        closeTag();
        AppendXmlEscaped(m_out, text);
    }

private:
    void closeTag() {
        if (m_tagOpen)
            m_out += '>';
        m_tagOpen = false;
    }
    void startTag(std::string_view name) {
        m_out += '<';
        m_out += name;
    }
    void writeAttribute(std::string_view name, std::string_view value) {
        m_out += ' ';
        m_out += name;
        m_out += "='";
        AppendXmlEscaped(m_out, value);
        m_out += '\'';
    }
    void writeBase64(std::string_view base64) { m_out += WrapBase64(base64); }

    void writePicture() {
        // Picture data is Latin-1 base64; other characters stand as '?'.
        if (std::any_of(m_payload.begin(), m_payload.end(), [](char c) { return c & 0x80; }))
            m_payload =
                QString::fromUtf8(m_payload.data(), static_cast<qsizetype>(m_payload.size())).toLatin1().toStdString();
        if (m_convert && m_picture == "notesbitmap") {
            const auto bitmap = QByteArray::fromBase64Encoding(QByteArray::fromStdString(m_payload),
                                                               QByteArray::AbortOnBase64DecodingErrors);
            if (bitmap) {
                if (auto gif = BitmapToGif(
                        std::string_view(bitmap.decoded.constData(), static_cast<size_t>(bitmap.decoded.size())))) {
                    const QByteArray b64 = QByteArray::fromStdString(*gif).toBase64();
                    m_out += "<gif originalformat='notesbitmap'>";
                    writeBase64(std::string_view(b64.constData(), static_cast<size_t>(b64.size())));
                    m_out += "</gif>";
                    return;
                }
            }
        }
        startTag(m_picture);
        for (const auto& [name, value] : m_pictureAttributes)
            writeAttribute(name, value);
        m_out += '>';
        writeBase64(m_payload);
        m_out += "</" + m_picture + '>';
    }

    std::string& m_out;
    bool m_convert;
    bool m_tagOpen = false; // "<name attrs" written, ">" or "/>" still to come
    int m_pictureDepth = 0; // inside picture data: its element's depth
    std::string m_picture;
    std::vector<std::pair<std::string, std::string>> m_pictureAttributes;
    std::string m_payload;
};

} // namespace

std::string RichTextToDxl(std::string_view fragment, bool convertNotesBitmapsToGif) {
    std::string out;
    out.reserve(fragment.size() + fragment.size() / 64);
    DxlRichText writer(out, convertNotesBitmapsToGif);
    fragment::Read(fragment, writer);
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
    if (options.omitRichtextAttachments && options.omitMiscFileObjects) {
        // Every file is left out: which ones the rich text refers to does not matter.
        fileWritten.assign(note.files.size(), true);
    } else if ((options.omitRichtextAttachments || options.omitMiscFileObjects) && !note.files.empty()) {
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
        out += "<item name='";
        AppendXmlEscaped(out, Utf16ToUtf8(item.name));
        out += '\'';
        if (item.flags & item_flag::kSummary && item.type != item_type::kRichText)
            out += " summary='true'";
        if (item.type == item_type::kNames)
            out += " names='true'";
        else if (item.type == item_type::kReaders)
            out += " readers='true'";
        else if (item.type == item_type::kAuthors)
            out += " authors='true'";
        out += '>';
        if (item.type == item_type::kRichText) {
            DxlRichText writer(out, options.convertNotesBitmapsToGif);
            fragment::Read(item.richText, writer);
        } else {
            AppendList(out, item.values);
        }
        out += "</item>\n";
    }
    for (size_t i = 0; i < note.files.size(); ++i)
        if (!fileWritten[i])
            out += FileItem(note.files[i], fileBytes(note.files[i]));
    out += "</document>\n";
    return out;
}

} // namespace store
