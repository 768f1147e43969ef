// The store's in-memory model of a document (note), its items and files, and of a view's design;
// the binary encoding of value lists kept in the database; helpers for names and times.
#pragma once

#include "interfaces/ComObject.h"
#include "interfaces/DominoObjects.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace store {

// Raised when stored bytes do not decode: the file is damaged or not one of ours.
class CorruptData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One value of an item: text, number or date-time.
using Scalar = std::variant<std::u16string, double, OleDate>;
using ValueList = std::vector<Scalar>;

// Kinds of file objects a note holds.
namespace file_kind {
constexpr int32_t kObject = embed_type::kObject;
constexpr int32_t kAttachment = embed_type::kAttachment;
} // namespace file_kind

// Item flags.
namespace item_flag {
constexpr uint32_t kSummary = 1;
} // namespace item_flag

struct ItemData {
    std::u16string name;
    int32_t type = 0;
    uint32_t flags = 0;
    ValueList values;     // every type but rich text
    std::string richText; // rich text: a DXL <richtext> fragment, UTF-8
};

struct FileData {
    int64_t fileId = 0; // row in the database; 0 before it is stored
    std::u16string name;
    int32_t kind = file_kind::kAttachment;
    std::u16string objectClass; // embedded objects: the application class, e.g. "Word.Document.8"
    double created = 0;         // OLE dates
    double modified = 0;
    int64_t size = 0;
    std::string bytes; // filled when writing; the reader loads bytes on demand
};

struct NoteData {
    int64_t noteId = 0;
    std::u16string unid;
    std::u16string form;
    double created = 0; // OLE dates
    double modified = 0;
    std::vector<ItemData> items;
    std::vector<FileData> files;

    // The first item of that name (case-insensitive), or nullptr.
    const ItemData* findItem(std::u16string_view name) const;
    // Names of the file attachments, in the note's order.
    std::vector<std::u16string> attachmentNames() const;
};

namespace sort_order {
constexpr int kNone = 0;
constexpr int kAscending = 1;
constexpr int kDescending = 2;
} // namespace sort_order

struct ColumnDef {
    std::u16string title;
    std::u16string item;    // the item the column shows, or
    std::u16string formula; // a formula computing the value
    int sort = sort_order::kNone;
};

struct ViewDef {
    int64_t viewId = 0;
    std::u16string name;
    std::u16string alias; // several aliases separated by "|"
    std::u16string selection = u"SELECT @All";
    std::vector<ColumnDef> columns;
};

// Value lists as stored: a sequence of entries, each 'T' + u32 length + UTF-8, 'N' + f64 or
// 'D' + f64 (little endian). Decoding checks every bound and raises CorruptData.
std::string EncodeValues(const ValueList& values);
ValueList DecodeValues(std::string_view bytes);

// A view entry's column values: per column, u32 byte length + a value list.
std::string EncodeColumns(const std::vector<ValueList>& columns);
std::vector<ValueList> DecodeColumns(std::string_view bytes);

// A scalar or value list as an automation value: one value as itself, several as an array,
// none as empty text.
Variant ToVariant(const Scalar& value);
Variant ToVariant(const ValueList& values);
// Always an array (GetItemValue); an empty list gives one empty text.
Variant ToVariantArray(const ValueList& values);

// Letter-case-insensitive comparison for names of items, views and people.
std::u16string FoldCase(std::u16string_view text);
// Inline: item names are looked up this way for every field read.
inline bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80)
            return FoldCase(a) == FoldCase(b);
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

// Hierarchical names: "CN=Alice Smith/OU=Dev/O=Org" <-> "Alice Smith/Dev/Org".
std::u16string AbbreviateName(std::u16string_view name);

// OLE date of a civil date and time (no time zone), and back.
double ToOleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0);
struct CivilTime {
    int year, month, day, hour, minute, second, centiseconds;
};
CivilTime FromOleDate(double date);
// "2024-03-05", "2024-03-05T09:30:00", "2024-03-05 09:30" -> OLE date; nothing when unparsable.
std::optional<double> ParseIsoDate(std::u16string_view text);
// The current local time as an OLE date.
double OleNow();

// A new universal ID: 32 upper-case hex digits.
std::u16string NewUnid();
bool IsValidUnid(std::u16string_view unid);

} // namespace store
