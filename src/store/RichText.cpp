#include "store/RichText.h"

#include "interfaces/ComObject.h"
#include "store/Fragment.h"
#include "store/Names.h"
#include "store/Note.h"

#include <QByteArray>

#include <array>

namespace store {

namespace {

// Elements whose content is not text of the paragraph.
bool IsOpaque(std::string_view name) {
    return name == "picture" || name == "attachmentref" || name == "objectref" || name == "imageref" ||
           name == "pardef" || name == "computedtext" || name == "button" || name == "caption";
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x3000;
}

void WrapLine(std::u16string_view line, size_t width, std::u16string& out, bool& firstLine) {
    auto pushLine = [&](std::u16string_view text) {
        if (!firstLine)
            out += u"\r\n";
        out += text;
        firstLine = false;
    };
    std::u16string current;
    size_t i = 0;
    bool startOfLine = true;
    while (i < line.size()) {
        size_t spaceStart = i;
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const std::u16string_view space = line.substr(spaceStart, i - spaceStart);
        const size_t wordStart = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        const std::u16string_view word = line.substr(wordStart, i - wordStart);
        if (startOfLine) {
            current += space;
            current += word;
            startOfLine = false;
        } else if (current.size() + space.size() + word.size() <= width) {
            current += space;
            current += word;
        } else {
            pushLine(current);
            current.assign(word);
        }
    }
    pushLine(current);
}

} // namespace

namespace {

// The bytes AppendXmlEscaped writes otherwise or leaves out.
constexpr auto kEscaped = [] {
    std::array<bool, 256> escaped{};
    for (int b = 0; b < 0x20; ++b)
        escaped[b] = b != '\t' && b != '\n' && b != '\r';
    escaped['&'] = escaped['<'] = escaped['>'] = escaped['\''] = escaped['"'] = true;
    return escaped;
}();

} // namespace

void AppendXmlEscaped(std::string& out, std::string_view text) {
    // Characters that need nothing are copied a run at a time.
    size_t copied = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!kEscaped[static_cast<unsigned char>(c)])
            continue;
        std::string_view entity;
        switch (c) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '\'':
            entity = "&apos;";
            break;
        case '"':
            entity = "&quot;";
            break;
        default:
            // Control characters other than tab, line feed and carriage return are not XML: left out.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                continue;
        }
        out.append(text.substr(copied, i - copied));
        out.append(entity);
        copied = i + 1;
    }
    out.append(text.substr(copied));
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendXmlEscaped(out, text);
    return out;
}

void RichTextBuilder::addParagraph(std::u16string_view text) {
    m_body += "<par def='1'>";
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(u'\n', start);
        AppendXmlEscaped(m_body, Utf16ToUtf8(text.substr(start, end == std::u16string_view::npos ? end : end - start)));
        if (end == std::u16string_view::npos)
            break;
        m_body += "<break/>";
        start = end + 1;
    }
    m_body += "</par>\n";
}

void RichTextBuilder::addPicture(std::string_view format, std::string_view bytes, int width, int height) {
    const QByteArray b64 = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64();
    m_body += "<par def='1'><picture width='" + std::to_string(width) + "px' height='" + std::to_string(height) +
              "px'><" + std::string(format) + ">" + b64.toStdString() + "</" + std::string(format) +
              "></picture></par>\n";
}

void RichTextBuilder::addAttachmentRef(std::u16string_view name) {
    const std::string escaped = XmlEscape(Utf16ToUtf8(name));
    m_body += "<par def='1'><attachmentref name='" + escaped + "' displayname='" + escaped + "'/></par>\n";
}

void RichTextBuilder::addObjectRef(std::u16string_view name, std::u16string_view objectClass) {
    const std::string escaped = XmlEscape(Utf16ToUtf8(name));
    m_body += "<par def='1'><objectref name='" + escaped + "' displayname='" + escaped + "' class='" +
              XmlEscape(Utf16ToUtf8(objectClass)) + "'/></par>\n";
}

std::string RichTextBuilder::fragment() const {
    return "<richtext>\n<pardef id='1'/>\n" + m_body + "</richtext>";
}

namespace {

// A paragraph as plain text: its line breaks as CR LF.
void AppendPlainParagraph(std::u16string& out, std::u16string_view paragraph) {
    size_t start = 0;
    for (size_t end; (end = paragraph.find(u'\n', start)) != std::u16string_view::npos; start = end + 1) {
        out.append(paragraph.substr(start, end - start));
        out += u"\r\n";
    }
    out.append(paragraph.substr(start));
}

// The paragraphs and file references of a fragment, gathered as it is read.
class ContentReader : public fragment::Handler {
public:
    // refsOnly: the file references alone, without the text. plain: the text goes there as
    // RichTextPlainText gives it, not into content's paragraphs.
    explicit ContentReader(bool refsOnly = false, std::u16string* plain = nullptr)
        : m_refsOnly(refsOnly), m_plain(plain) {}

    RichTextContent content;

    void start(std::string_view name, std::string_view, const std::vector<fragment::Attribute>& attributes) override {
        const bool object = name == "objectref";
        if (object || name == "attachmentref")
            addRef(attributes, object);
        if (m_refsOnly)
            return;
        if (m_opaqueDepth > 0 || IsOpaque(name)) {
            ++m_opaqueDepth;
        } else if (name == "par") {
            if (m_parDepth++ == 0)
                m_current.clear();
        } else if (m_parDepth > 0 && name == "break") {
            m_current += u'\n';
        } else if (m_parDepth > 0 && name == "tab") {
            m_current += u'\t';
        }
    }

    void end(std::string_view name, std::string_view) override {
        if (m_refsOnly)
            return;
        if (m_opaqueDepth > 0)
            --m_opaqueDepth;
        else if (name == "par" && m_parDepth > 0 && --m_parDepth == 0)
            endParagraph();
    }

    void text(std::string_view text) override {
        if (!m_refsOnly && m_parDepth > 0 && m_opaqueDepth == 0)
            AppendUtf16(m_current, text);
    }

private:
    void endParagraph() {
        if (!m_plain) {
            content.paragraphs.push_back(m_current);
            return;
        }
        if (m_paragraphs++ > 0)
            *m_plain += u"\r\n";
        AppendPlainParagraph(*m_plain, m_current);
    }

    void addRef(const std::vector<fragment::Attribute>& attributes, bool object) {
        std::u16string name;
        for (const auto& attribute : attributes)
            if (attribute.name == "name") {
                name = Utf8ToUtf16(attribute.value);
                break;
            }
        if (name.empty())
            return;
        for (const auto& known : content.refs)
            if (EqualsIgnoreCase(known.name, name))
                return;
        content.refs.push_back({std::move(name), object});
    }

    bool m_refsOnly;
    std::u16string* m_plain;
    size_t m_paragraphs = 0;
    int m_parDepth = 0;
    int m_opaqueDepth = 0;
    std::u16string m_current;
};

} // namespace

RichTextContent ReadRichText(std::string_view fragment) {
    ContentReader reader;
    fragment::Read(fragment, reader);
    return std::move(reader.content);
}

std::u16string RichTextPlainText(std::string_view fragment) {
    std::u16string out;
    ContentReader reader(false, &out);
    fragment::Read(fragment, reader);
    return out;
}

std::u16string RichTextPlainText(const RichTextContent& content) {
    std::u16string out;
    for (size_t i = 0; i < content.paragraphs.size(); ++i) {
        if (i > 0)
            out += u"\r\n";
        AppendPlainParagraph(out, content.paragraphs[i]);
    }
    return out;
}

std::u16string RichTextFormattedText(std::string_view fragment, bool stripTabs, int32_t lineLength) {
    return RichTextFormattedText(ReadRichText(fragment), stripTabs, lineLength);
}

std::u16string RichTextFormattedText(const RichTextContent& content, bool stripTabs, int32_t lineLength) {
    const size_t width = lineLength <= 0 ? 80 : static_cast<size_t>(lineLength);
    std::u16string out;
    bool firstLine = true;
    for (auto paragraph : content.paragraphs) {
        if (stripTabs)
            for (auto& c : paragraph)
                if (c == u'\t')
                    c = u' ';
        size_t start = 0;
        for (;;) {
            const size_t end = paragraph.find(u'\n', start);
            const std::u16string_view line =
                std::u16string_view(paragraph).substr(start, end == std::u16string::npos ? end : end - start);
            WrapLine(line, width, out, firstLine);
            if (end == std::u16string::npos)
                break;
            start = end + 1;
        }
    }
    return out;
}

std::vector<RichTextRef> RichTextFileRefs(std::string_view fragment) {
    ContentReader reader(true);
    fragment::Read(fragment, reader);
    return std::move(reader.content.refs);
}

} // namespace store
