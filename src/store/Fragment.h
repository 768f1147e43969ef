// Reading a rich-text fragment as a stream of elements and text. The store reads its fragments
// for every document shown or exported, so the plain shape its own writers give them (elements,
// quoted attributes, text with character references) is read by a small scanner of its own; any
// other fragment, or anything the scanner is not sure of, goes to Qt's XML reader, which gives
// the same events and the errors.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace store::fragment {

struct Attribute {
    std::string_view name;
    std::string_view value; // character references resolved
};

// What a fragment holds, in its order. Names and texts are UTF-8; a view lives only for the call.
class Handler {
public:
    virtual ~Handler() = default;
    // name: the element's local name; qualified: with its prefix, if it has one.
    virtual void start(std::string_view name, std::string_view qualified, const std::vector<Attribute>& attributes) = 0;
    virtual void end(std::string_view name, std::string_view qualified) = 0;
    // A run of text; one run may come in several calls.
    virtual void text(std::string_view text) = 0;
};

// Reads fragment into handler. Raises CorruptData when it is not well-formed XML.
void Read(std::string_view fragment, Handler& handler);

// The two readers behind Read. ReadPlain returns false, having called nothing, for a fragment it
// does not take; ReadWithQt reads any fragment.
bool ReadPlain(std::string_view fragment, Handler& handler);
void ReadWithQt(std::string_view fragment, Handler& handler);

} // namespace store::fragment
