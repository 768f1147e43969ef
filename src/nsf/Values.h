// Item values of a database file as values: text, numbers, times, note references, rich text
// as paragraphs of text, file objects, and the column design of a view.
//
// Every decoder fails the same way: bytes that hold nothing it can read raise FormatError, saying
// what is wrong. What it reads with a loss (characters without a converter, values that are none,
// rich text cut short by damage) it returns, with the loss counted in its result.
#pragma once

#include "nsf/Database.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nsf {

// Data types of item values.
namespace data_type {
constexpr uint16_t kComposite = 0x0001; // rich text
constexpr uint16_t kObject = 0x0003;
constexpr uint16_t kNoteRefList = 0x0004;
constexpr uint16_t kViewFormat = 0x0005;
constexpr uint16_t kSignature = 0x0008;
constexpr uint16_t kSeal = 0x0009;
constexpr uint16_t kSealData = 0x000A;
constexpr uint16_t kSealList = 0x000B;
constexpr uint16_t kMimePart = 0x0019;
constexpr uint16_t kSeal2 = 0x001F;
constexpr uint16_t kNumber = 0x0300;
constexpr uint16_t kNumberRange = 0x0301;
constexpr uint16_t kTime = 0x0400;
constexpr uint16_t kTimeRange = 0x0401;
constexpr uint16_t kText = 0x0500;
constexpr uint16_t kTextList = 0x0501;
constexpr uint16_t kRfc822Text = 0x0502; // a mail header as it came
constexpr uint16_t kFormula = 0x0600;
constexpr uint16_t kUserId = 0x0700; // a user's name, as older releases keep it
} // namespace data_type

// The name of a data type ("TEXT", "NUMBER", ...; "TYPE 0x1234" for one without a name).
std::string DataTypeName(uint16_t type);

// The Julian days of the days other calendars count from.
constexpr int64_t kJulianDayOf1970 = 2440588;    // 1970-01-01, the Unix epoch
constexpr int64_t kJulianDayOfOleZero = 2415019; // 1899-12-30, day 0 of OLE dates

// A time's parts. A date without a time of day, or a time of day without a date, has the other
// part missing.
struct Time {
    std::optional<int64_t> julianDay;
    std::optional<uint32_t> centiseconds; // since midnight UTC
    bool operator==(const Time&) const = default;
};
// Nothing for the empty time (both words zero) and for one that is not a time.
std::optional<Time> DecodeTime(TimeDate value);
// "2020-10-05T17:10:07Z", "2020-10-05", "17:10:07"; empty for no time.
std::string TimeText(const Time& time);

using Value = std::variant<std::u16string, double, Time>;

struct Values {
    std::vector<Value> values;
    // Characters that could not be converted (U+FFFD in the text) and values left out (a time
    // that is none, a number that is not finite).
    size_t unconverted = 0;
    size_t leftOut = 0;
};

// Whether DecodeValues reads this data type. A user name (kUserId) is read as its text where the
// value is plain text throughout; otherwise DecodeValues refuses it.
bool IsValueType(uint16_t type);
// Text, text lists, numbers, number lists and ranges, times, time lists and ranges (a range as
// its two ends), note references as universal IDs. Raises FormatError when the bytes do not
// hold what the type says.
Values DecodeValues(uint16_t type, std::string_view bytes);

// A picture kept in rich text: an image (GIF, JPEG, PNG, BMP, ... in image records), a Windows
// metafile, or a Notes bitmap (not decoded: its bytes stay empty).
struct Picture {
    enum class Kind { Gif, Jpeg, Png, Bmp, OtherImage, Metafile, NotesBitmap };
    Kind kind = Kind::Gif;
    std::string bytes;
    uint16_t width = 0;
    uint16_t height = 0;
    size_t paragraph = 0;  // it stands after this many paragraphs (the one it is in among them)
    bool complete = false; // every byte its header states arrived
};
// A picture kind's name in reports ("GIF", "Windows metafile", ...).
std::string PictureKindName(Picture::Kind kind);

// Rich text (CD records) as its paragraphs of text and its pictures; a line break inside a
// paragraph is "\n".
struct RichText {
    std::vector<std::u16string> paragraphs;
    std::vector<Picture> pictures;
    size_t unconverted = 0;
    bool damaged = false; // a record ran past the end: the text stops there (a loss, not an error)
};

// A field's rich text, read from its items in order: a long field is kept in several items of
// one name, and a picture's segments may lie in several of them (a record never does).
class RichTextReader {
public:
    void add(std::string_view item);
    // The whole text, its last paragraph ended.
    RichText finish();

private:
    RichText m_text;
    std::u16string m_paragraph; // the paragraph under way
    bool m_started = false;
    int m_segments = 0;         // the record kind the current picture's segments have, 0 none
    uint32_t m_pictureSize = 0; // what the current picture's header states
};
RichText DecodeRichText(std::string_view bytes);

// The name and size of a file attachment from its $FILE item (a file object). The bytes themselves
// are in the object store.
struct FileObject {
    std::u16string name;
    uint32_t size = 0;
    uint32_t objectId = 0;    // the object's id in the RRV table
    uint16_t compression = 0; // file_object::kNone, kHuffman, ...
    TimeDate created;
    TimeDate modified;
};
FileObject DecodeFileObject(std::string_view bytes);

// A MIME part item (one entity of a message): a 20-byte head (version, flags, kind, the size of
// what follows, the sizes of the boundary and the headers), then the boundary line, the header
// lines and the body. A body the object store keeps is only the name of the $FILE that holds it.
constexpr size_t kMimePartHead = 20;
struct MimePart {
    std::string_view boundary;
    std::string_view headers;
    std::string_view body;
    bool bodyInObject = false;
};
// Raises FormatError when the part's sizes do not fit its value.
MimePart DecodeMimePart(std::string_view value);

// What a view note is, as its $Flags item says: a folder ('F') keeps the documents put into it; a
// navigator ('G') is a picture to click and lists no documents.
struct ViewKind {
    bool folder = false;
    bool navigator = false;
};
ViewKind DecodeViewKind(const Note& view);

// A view's compiled formulas ($Formula): the selection, as the formula text the program stands for,
// where every word of its program is one understood; and the columns that show one item. The
// program is postfix: pushes of an item or a text, @All, =, !=, &, |, the list operator, a
// parenthesis mark, and two one-item tests (taken as @IsAvailable and @IsUnavailable).
struct CompiledFormulas {
    std::optional<std::u16string> selection; // "SELECT ..."; nothing when not understood
    std::vector<uint16_t> unknownWords;      // the words that were not
    bool hasSelection = false;               // the formula holds a selection program
    // Column name ("$2") -> the item its formula only pushes.
    std::vector<std::pair<std::u16string, std::u16string>> columnItems;
};
// Raises FormatError when the records do not fit the value.
CompiledFormulas DecodeCompiledFormulas(std::string_view value);

// A view's columns from its $VIEWFORMAT item.
struct Column {
    std::u16string title;
    std::u16string itemName; // the item it shows, or a programmatic name ("$0") for a formula
    bool hasFormula = false;
    bool sorted = false;
    bool descending = false;
    bool hidden = false;
};
std::vector<Column> DecodeViewFormat(std::string_view bytes);

} // namespace nsf
