// The store's in-memory model of a document (note), its items and files, and of a view's design.
// Kept beside it: the encoding of value lists (ValueCodec.h), names (Names.h), OLE dates
// (OleTime.h) and universal IDs (Unid.h).
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

} // namespace store
