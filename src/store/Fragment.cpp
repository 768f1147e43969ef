#include "store/Fragment.h"

#include "interfaces/ComObject.h"
#include "store/Note.h"

#include <QByteArray>
#include <QUtf8StringView>
#include <QXmlStreamReader>

#include <array>

namespace store::fragment {

namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Blanks the scanner takes between the parts of a tag (a carriage return XML would change).
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The reference at s[i] ('&'), its character appended to out. Returns the position after its
// ';', or kNone for a reference the scanner does not take.
size_t Reference(std::string_view s, size_t i, std::string& out) {
    const size_t semicolon = s.find(';', i);
    if (semicolon == kNone || semicolon - i > 10)
        return kNone;
    const std::string_view name = s.substr(i + 1, semicolon - i - 1);
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : kNamed)
        if (name == entity) {
            out += c;
            return semicolon + 1;
        }
    if (name.size() < 2 || name[0] != '#')
        return kNone;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty())
        return kNone;
    char32_t c = 0;
    for (char d : digits) {
        int value = -1;
        if (d >= '0' && d <= '9')
            value = d - '0';
        else if (hex && d >= 'a' && d <= 'f')
            value = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F')
            value = d - 'A' + 10;
        if (value < 0)
            return kNone;
        c = c * (hex ? 16 : 10) + static_cast<char32_t>(value);
    }
    if (!IsXmlChar(c)) // at most eight digits: no overflow comes this far
        return kNone;
    AppendUtf8(out, c);
    return semicolon + 1;
}

// Bytes that need a closer look in a run of text: control characters, '<', ']' (of "]]>") and
// 0xEF (of U+FFFE and U+FFFF). Picture data is long, so the rest is passed over by table.
constexpr auto kNoticed = [] {
    std::array<bool, 256> noticed{};
    for (int b = 0; b < 0x20; ++b)
        noticed[b] = true;
    noticed['<'] = noticed[']'] = noticed[0xEF] = true;
    return noticed;
}();

// Whether s[from, to) is text the scanner takes as it stands or with references resolved: no
// control character but tab and line feed, no "]]>", no non-character U+FFFE or U+FFFF. In an
// attribute value (inValue) no control character at all and no '<'.
bool IsPlainRun(std::string_view s, size_t from, size_t to, bool inValue) {
    for (size_t i = from; i < to; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (!kNoticed[b])
            continue;
        if (b < 0x20 && (inValue || (b != '\t' && b != '\n')))
            return false;
        if (b == '<' || (b == ']' && s.substr(i, 3) == "]]>"))
            return false;
        if (b == 0xEF && i + 2 < to && static_cast<unsigned char>(s[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(s[i + 2]) & 0xFE) == 0xBE)
            return false;
    }
    return true;
}

// A run with its references resolved: the run itself when it has none, else into buffer.
// Returns false for a reference the scanner does not take.
bool Resolve(std::string_view run, std::string& buffer, std::string_view& resolved) {
    size_t amp = run.find('&');
    if (amp == kNone) {
        resolved = run;
        return true;
    }
    buffer.assign(run.substr(0, amp));
    while (amp != kNone) {
        const size_t next = Reference(run, amp, buffer);
        if (next == kNone)
            return false;
        amp = run.find('&', next);
        buffer.append(run.substr(next, (amp == kNone ? run.size() : amp) - next));
    }
    resolved = buffer;
    return true;
}

size_t SkipSpace(std::string_view s, size_t i) {
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    return i;
}

size_t NameEnd(std::string_view s, size_t i) {
    if (i >= s.size() || !IsNameStart(s[i]))
        return kNone;
    while (i < s.size() && IsNameChar(s[i]))
        ++i;
    return i;
}

// One pass over the fragment. Without a handler it checks that the fragment is of the plain shape
// (false where not); with one it tells the handler of a fragment already checked, so the runs of
// text are not looked over a second time.
class Scanner {
public:
    Scanner(std::string_view s, Handler* handler) : m_s(s), m_handler(handler) {}

    bool run() {
        if (m_s.empty() || m_s[0] != '<')
            return false;
        size_t i = 0;
        bool rootClosed = false;
        while (i < m_s.size()) {
            if (rootClosed)
                return false; // anything after the root element
            if (m_s[i] != '<') {
                const size_t end = m_s.find('<', i);
                if (end == kNone || !text(i, end))
                    return false;
                i = end;
                continue;
            }
            i = m_s.substr(i, 2) == "</" ? endTag(i) : startTag(i);
            if (i == kNone)
                return false;
            rootClosed = m_open.empty();
        }
        return rootClosed;
    }

private:
    bool text(size_t from, size_t to) {
        if (m_open.empty() || (!m_handler && !IsPlainRun(m_s, from, to, false)))
            return false;
        std::string_view resolved;
        if (!Resolve(m_s.substr(from, to - from), m_buffer, resolved))
            return false;
        if (m_handler)
            m_handler->text(resolved);
        return true;
    }

    size_t endTag(size_t i) {
        const size_t nameEnd = NameEnd(m_s, i + 2);
        if (nameEnd == kNone || m_open.empty())
            return kNone;
        const std::string_view name = m_s.substr(i + 2, nameEnd - i - 2);
        const size_t close = SkipSpace(m_s, nameEnd);
        if (close >= m_s.size() || m_s[close] != '>' || name != m_open.back())
            return kNone;
        m_open.pop_back();
        if (m_handler)
            m_handler->end(name, name);
        return close + 1;
    }

    size_t startTag(size_t i) {
        const size_t nameEnd = NameEnd(m_s, i + 1);
        if (nameEnd == kNone)
            return kNone;
        const std::string_view name = m_s.substr(i + 1, nameEnd - i - 1);
        m_raw.clear();
        size_t at = nameEnd;
        for (;;) {
            const size_t next = SkipSpace(m_s, at);
            if (next >= m_s.size())
                return kNone;
            if (m_s[next] == '>' || m_s.substr(next, 2) == "/>") {
                at = next;
                break;
            }
            if (next == at)
                return kNone; // an attribute needs a blank before it
            const size_t attributeEnd = NameEnd(m_s, next);
            if (attributeEnd == kNone)
                return kNone;
            const std::string_view attribute = m_s.substr(next, attributeEnd - next);
            if (attribute.starts_with("xmlns"))
                return kNone; // a namespace declaration, not an attribute
            for (const auto& [known, value] : m_raw)
                if (known == attribute)
                    return kNone;
            size_t equals = SkipSpace(m_s, attributeEnd);
            if (equals >= m_s.size() || m_s[equals] != '=')
                return kNone;
            const size_t quote = SkipSpace(m_s, equals + 1);
            if (quote >= m_s.size() || (m_s[quote] != '\'' && m_s[quote] != '"'))
                return kNone;
            const size_t valueEnd = m_s.find(m_s[quote], quote + 1);
            if (valueEnd == kNone || (!m_handler && !IsPlainRun(m_s, quote + 1, valueEnd, true)))
                return kNone;
            m_raw.emplace_back(attribute, m_s.substr(quote + 1, valueEnd - quote - 1));
            at = valueEnd + 1;
        }
        // The values resolved only now, so that the buffers no longer move.
        if (m_values.size() < m_raw.size())
            m_values.resize(m_raw.size());
        m_attributes.clear();
        for (size_t k = 0; k < m_raw.size(); ++k) {
            std::string_view value;
            if (!Resolve(m_raw[k].second, m_values[k], value))
                return kNone;
            m_attributes.push_back({m_raw[k].first, value});
        }
        const bool empty = m_s[at] == '/';
        if (m_handler) {
            m_handler->start(name, name, m_attributes);
            if (empty)
                m_handler->end(name, name);
        }
        if (!empty)
            m_open.push_back(name);
        return at + (empty ? 2 : 1);
    }

    std::string_view m_s;
    Handler* m_handler;
    std::vector<std::string_view> m_open; // the elements open, innermost last
    std::vector<std::pair<std::string_view, std::string_view>> m_raw;
    std::vector<std::string> m_values;
    std::vector<Attribute> m_attributes;
    std::string m_buffer;
};

QByteArray Utf8(QStringView text) {
    return text.toUtf8();
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace

bool ReadPlain(std::string_view fragment, Handler& handler) {
    // Checked first, so that the handler hears nothing of a fragment the scanner gives up on.
    if (!QUtf8StringView(fragment.data(), static_cast<qsizetype>(fragment.size())).isValidUtf8() ||
        !Scanner(fragment, nullptr).run())
        return false;
    Scanner(fragment, &handler).run();
    return true;
}

void ReadWithQt(std::string_view fragment, Handler& handler) {
    QXmlStreamReader xml(QByteArray::fromRawData(fragment.data(), static_cast<qsizetype>(fragment.size())));
    std::vector<QByteArray> texts;
    std::vector<Attribute> attributes;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QByteArray name = Utf8(xml.name());
            const QByteArray qualified = Utf8(xml.qualifiedName());
            texts.clear();
            for (const auto& attribute : xml.attributes()) {
                texts.push_back(Utf8(attribute.qualifiedName()));
                texts.push_back(Utf8(attribute.value()));
            }
            attributes.clear();
            for (size_t k = 0; k < texts.size(); k += 2)
                attributes.push_back({View(texts[k]), View(texts[k + 1])});
            handler.start(View(name), View(qualified), attributes);
            break;
        }
        case QXmlStreamReader::EndElement:
            handler.end(View(Utf8(xml.name())), View(Utf8(xml.qualifiedName())));
            break;
        case QXmlStreamReader::Characters:
            handler.text(View(Utf8(xml.text())));
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        throw CorruptData("rich text is not well-formed: " + xml.errorString().toStdString());
}

void Read(std::string_view fragment, Handler& handler) {
    if (!ReadPlain(fragment, handler))
        ReadWithQt(fragment, handler);
}

} // namespace store::fragment
