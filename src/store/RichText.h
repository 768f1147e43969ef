// Rich text as the store keeps it: a DXL <richtext> fragment. Building fragments, reading their
// text (plain and formatted), and listing the files they refer to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// Builds a <richtext> fragment paragraph by paragraph.
class RichTextBuilder {
public:
    // A paragraph of text; "\n" inside it becomes a line break.
    void addParagraph(std::u16string_view text);
    // A picture; format is the DXL element name (gif, jpeg, png, notesbitmap...). bytes are raw.
    void addPicture(std::string_view format, std::string_view bytes, int width, int height);
    // A reference to a file attachment of the same note.
    void addAttachmentRef(std::u16string_view name);
    // A reference to an embedded object of the same note.
    void addObjectRef(std::u16string_view name, std::u16string_view objectClass);
    std::string fragment() const;

private:
    std::string m_body;
};

// A file a rich-text fragment refers to.
struct RichTextRef {
    std::u16string name;
    bool object = false; // an embedded object (objectref) rather than an attachment
};

// What a fragment holds, read in one pass: its paragraphs (line breaks as "\n"; pictures and
// file references leave no text) and the files it refers to, in its order, each name once.
struct RichTextContent {
    std::vector<std::u16string> paragraphs;
    std::vector<RichTextRef> refs;
};
// Raises CorruptData when the fragment is not well-formed.
RichTextContent ReadRichText(std::string_view fragment);

// The paragraphs' text joined by CR LF, line breaks as CR LF, without wrapping.
std::u16string RichTextPlainText(const RichTextContent& content);
std::u16string RichTextPlainText(std::string_view fragment);
// Text wrapped at lineLength (0 means 80) without splitting words; tabs become blanks when
// stripTabs; lines joined by CR LF.
std::u16string RichTextFormattedText(const RichTextContent& content, bool stripTabs, int32_t lineLength);
std::u16string RichTextFormattedText(std::string_view fragment, bool stripTabs, int32_t lineLength);
// Files referred to, in the fragment's order, each name once.
std::vector<RichTextRef> RichTextFileRefs(std::string_view fragment);

// XML text escaping for single-quoted attributes and element content.
std::string XmlEscape(std::string_view text);
void AppendXmlEscaped(std::string& out, std::string_view text);

} // namespace store
