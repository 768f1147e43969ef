#include "nsf/Values.h"

#include "nsf/Lmbcs.h"
#include "nsf/ReasonText.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace nsf {

namespace {

constexpr uint32_t kCentisecondsPerDay = 8640000;

std::u16string UnidValue(Bytes bytes, size_t offset) {
    const std::string text = UnidText(bytes, offset);
    return std::u16string(text.begin(), text.end());
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2);
}

} // namespace

std::string DataTypeName(uint16_t type) {
    switch (type) {
    case data_type::kComposite:
        return "COMPOSITE";
    case data_type::kObject:
        return "OBJECT";
    case data_type::kNoteRefList:
        return "NOTEREF_LIST";
    case data_type::kViewFormat:
        return "VIEW_FORMAT";
    case data_type::kSignature:
        return "SIGNATURE";
    case data_type::kSeal:
        return "SEAL";
    case data_type::kSealData:
        return "SEALDATA";
    case data_type::kSealList:
        return "SEAL_LIST";
    case data_type::kMimePart:
        return "MIME_PART";
    case data_type::kSeal2:
        return "SEAL2";
    case data_type::kNumber:
        return "NUMBER";
    case data_type::kNumberRange:
        return "NUMBER_RANGE";
    case data_type::kTime:
        return "TIME";
    case data_type::kTimeRange:
        return "TIME_RANGE";
    case data_type::kText:
        return "TEXT";
    case data_type::kTextList:
        return "TEXT_LIST";
    case data_type::kFormula:
        return "FORMULA";
    case data_type::kUserId:
        return "USERID";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "TYPE 0x%04X", type);
        return text;
    }
    }
}

std::optional<Time> DecodeTime(TimeDate value) {
    if (value.time == 0 && value.date == 0)
        return std::nullopt;
    const uint32_t day = value.date & 0xFFFFFF;
    Time time;
    if (day != 0xFFFFFF) // a day of any date is a time of day alone
        time.julianDay = day;
    if (value.time != 0xFFFFFFFF) // all day long is a date alone
        time.centiseconds = value.time;
    if ((!time.julianDay && !time.centiseconds) || (time.centiseconds && *time.centiseconds >= kCentisecondsPerDay) ||
        (time.julianDay && *time.julianDay == 0))
        return std::nullopt;
    return time;
}

std::string TimeText(const Time& time) {
    char text[48] = {};
    if (time.julianDay) {
        int64_t year;
        unsigned month, day;
        CivilFromDays(*time.julianDay - kJulianDayOf1970, year, month, day);
        std::snprintf(text, sizeof text, "%04lld-%02u-%02u", static_cast<long long>(year), month, day);
    }
    std::string out = text;
    if (time.centiseconds) {
        const uint32_t seconds = *time.centiseconds / 100;
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
        out += time.julianDay ? std::string("T") + text + "Z" : std::string(text);
    }
    return out;
}

bool IsValueType(uint16_t type) {
    switch (type) {
    case data_type::kText:
    case data_type::kTextList:
    case data_type::kNumber:
    case data_type::kNumberRange:
    case data_type::kTime:
    case data_type::kTimeRange:
    case data_type::kNoteRefList:
    case data_type::kUserId:
        return true;
    default:
        return false;
    }
}

Values DecodeValues(uint16_t type, std::string_view bytes) {
    Values out;
    const Bytes b(bytes);
    const auto text = [&](std::string_view value) {
        LmbcsText converted = LmbcsToUtf16(value);
        out.unconverted += converted.unconverted;
        out.values.emplace_back(std::move(converted.text));
    };
    const auto number = [&](size_t offset) {
        const double value = b.f64(offset);
        if (std::isfinite(value))
            out.values.emplace_back(value);
        else
            ++out.leftOut;
    };
    const auto time = [&](size_t offset) {
        if (b.u32(offset) == 0 && b.u32(offset + 4) == 0)
            return; // no time
        if (const auto value = DecodeTime({b.u32(offset), b.u32(offset + 4)}))
            out.values.emplace_back(*value);
        else
            ++out.leftOut;
    };
    // A list (count, then values) followed by ranges (count, then pairs of values).
    const auto ranges = [&](size_t width, const auto& read) {
        const size_t list = b.u16(0), pairs = b.u16(2);
        b.sub(4, (list + 2 * pairs) * width);
        for (size_t i = 0; i < list + 2 * pairs; ++i)
            read(4 + i * width);
    };
    switch (type) {
    case data_type::kText:
        text(bytes);
        break;
    case data_type::kTextList: {
        const size_t count = b.u16(0);
        size_t at = 2 + 2 * count;
        for (size_t i = 0; i < count; ++i) {
            const size_t length = b.u16(2 + 2 * i);
            text(b.sub(at, length));
            at += length;
        }
        break;
    }
    case data_type::kNumber:
        number(0);
        break;
    case data_type::kNumberRange:
        ranges(8, number);
        break;
    case data_type::kTime:
        time(0);
        break;
    case data_type::kTimeRange:
        ranges(8, time);
        break;
    case data_type::kNoteRefList: {
        const size_t count = b.u16(0);
        b.sub(2, count * 16);
        for (size_t i = 0; i < count; ++i)
            out.values.emplace_back(UnidValue(b, 2 + 16 * i));
        break;
    }
    case data_type::kUserId: {
        // The name, in older databases followed by 8 bytes that are no text.
        constexpr size_t kTail = 8;
        const auto plain = [](std::string_view value) -> std::optional<std::u16string> {
            LmbcsText name = LmbcsToUtf16(value);
            for (char16_t c : name.text)
                if (c < 0x20 || c == 0xFFFD)
                    return std::nullopt;
            return std::move(name.text);
        };
        auto name = plain(bytes);
        if (!name && bytes.size() > kTail)
            name = plain(bytes.substr(0, bytes.size() - kTail));
        if (!name)
            throw FormatError(reason_text::UserNameNotPlain());
        out.values.emplace_back(std::move(*name));
        break;
    }
    default:
        throw FormatError(reason_text::TypeNotRead(DataTypeName(type)));
    }
    return out;
}

std::string PictureKindName(Picture::Kind kind) {
    switch (kind) {
    case Picture::Kind::Gif:
        return "GIF";
    case Picture::Kind::Jpeg:
        return "JPEG";
    case Picture::Kind::Png:
        return "PNG";
    case Picture::Kind::Bmp:
        return "BMP";
    case Picture::Kind::OtherImage:
        return reason_text::OtherImageName();
    case Picture::Kind::Metafile:
        return reason_text::MetafileName();
    case Picture::Kind::NotesBitmap:
        return reason_text::NotesBitmapName();
    }
    return reason_text::PictureName();
}

void RichTextReader::add(std::string_view bytes) {
    // CD record signatures, and where the picture records keep their fields.
    constexpr uint8_t kParagraph = 0x81, kText = 0x85;
    constexpr uint8_t kImageHeader = 0x7D, kImageSegment = 0x7C;       // long records
    constexpr uint8_t kMetafileHeader = 0x9F, kMetafileSegment = 0x9B; // long records
    constexpr uint8_t kBitmapHeader = 0x95;                            // 0x96 to 0x98 follow it
    constexpr size_t kImageType = 6, kImageWidth = 8, kImageHeight = 10, kImageSize = 12;
    constexpr size_t kMetafileSize = 16;
    constexpr size_t kSegmentDataSize = 6, kSegmentData = 10;
    RichText& out = m_text;
    const Bytes b(bytes);
    const auto endParagraph = [&] {
        if (m_started)
            out.paragraphs.push_back(std::move(m_paragraph));
        m_paragraph.clear();
    };
    for (size_t at = 0; at + 2 <= bytes.size();) {
        const uint8_t signature = b.u8(at), marker = b.u8(at + 1);
        // The length (header included) is a word after a 0xFF marker, a double word after a 0x00
        // marker, and the marker itself otherwise.
        size_t length;
        if (marker == 0xFF)
            length = b.has(at + 2, 2) ? b.u16(at + 2) : 0;
        else if (marker == 0x00)
            length = b.has(at + 2, 4) ? b.u32(at + 2) : 0;
        else
            length = marker;
        if (length < 2 || !b.has(at, length)) {
            out.damaged = true;
            break;
        }
        const Bytes record(b.sub(at, length));
        if (signature == kParagraph) {
            endParagraph();
            m_started = true;
        } else if (signature == kText && marker == 0xFF && length >= 8) {
            LmbcsText text = LmbcsToUtf16(record.sub(8, length - 8));
            out.unconverted += text.unconverted;
            m_paragraph += text.text;
            m_started = true;
        } else if (marker == 0x00 && (signature == kImageHeader || signature == kMetafileHeader) &&
                   length >= (signature == kImageHeader ? kImageSize + 4 : kMetafileSize + 4)) {
            Picture picture;
            picture.paragraph = out.paragraphs.size() + (m_started ? 1 : 0);
            if (signature == kImageHeader) {
                switch (record.u16(kImageType)) {
                case 1:
                    picture.kind = Picture::Kind::Gif;
                    break;
                case 2:
                    picture.kind = Picture::Kind::Jpeg;
                    break;
                case 3:
                    picture.kind = Picture::Kind::Bmp;
                    break;
                case 4:
                    picture.kind = Picture::Kind::Png;
                    break;
                default:
                    picture.kind = Picture::Kind::OtherImage;
                    break;
                }
                picture.width = record.u16(kImageWidth);
                picture.height = record.u16(kImageHeight);
                m_pictureSize = record.u32(kImageSize);
                m_segments = kImageSegment;
            } else {
                picture.kind = Picture::Kind::Metafile;
                m_pictureSize = record.u32(kMetafileSize);
                m_segments = kMetafileSegment;
            }
            picture.complete = m_pictureSize == 0;
            out.pictures.push_back(std::move(picture));
        } else if (marker == 0x00 && signature == m_segments && m_segments != 0 && length >= kSegmentData) {
            Picture& picture = out.pictures.back();
            const size_t size = std::min<size_t>(record.u16(kSegmentDataSize), length - kSegmentData);
            if (picture.bytes.size() + size <= m_pictureSize)
                picture.bytes.append(record.sub(kSegmentData, size));
            if (picture.bytes.size() >= m_pictureSize) {
                picture.complete = picture.bytes.size() == m_pictureSize;
                m_segments = 0;
            }
        } else if (signature == kBitmapHeader) {
            m_segments = 0; // what follows is the bitmap's, not an earlier picture's
            Picture picture;
            picture.kind = Picture::Kind::NotesBitmap;
            picture.paragraph = out.paragraphs.size() + (m_started ? 1 : 0);
            out.pictures.push_back(std::move(picture));
        }
        at += length + (length & 1); // records start on even offsets
    }
}

RichText RichTextReader::finish() {
    if (m_started)
        m_text.paragraphs.push_back(std::move(m_paragraph));
    m_started = false;
    m_paragraph.clear();
    m_segments = 0;
    return std::exchange(m_text, {});
}

RichText DecodeRichText(std::string_view bytes) {
    RichTextReader reader;
    reader.add(bytes);
    return reader.finish();
}

FileObject DecodeFileObject(std::string_view bytes) {
    using namespace disk::file_object;
    const Bytes b(bytes);
    const size_t length = b.u16(kNameLength);
    if (length == 0)
        throw FormatError(reason_text::FileObjectNoName());
    const LmbcsText name = LmbcsToUtf16(b.sub(kName, length));
    for (char16_t c : name.text)
        if (c < 0x20 || c == 0xFFFD)
            throw FormatError(reason_text::FileObjectNameNotPlain());
    FileObject file;
    file.name = name.text;
    file.size = b.u32(kSize);
    file.objectId = b.u32(kRrvId);
    file.compression = b.u16(kCompression);
    file.created = {b.u32(kCreated), b.u32(kCreated + 4)};
    file.modified = {b.u32(kModified), b.u32(kModified + 4)};
    return file;
}

std::vector<Column> DecodeViewFormat(std::string_view bytes) {
    constexpr size_t kTableFormat = 10;
    constexpr size_t kColumnFormat = 32;
    constexpr uint16_t kSort = 0x0001, kDescending = 0x0004, kHidden = 0x0008;
    const Bytes b(bytes);
    const size_t count = b.u16(2);
    b.sub(kTableFormat, count * kColumnFormat);
    std::vector<Column> columns(count);
    size_t at = kTableFormat + count * kColumnFormat;
    for (size_t i = 0; i < count; ++i) {
        const size_t e = kTableFormat + i * kColumnFormat;
        const uint16_t flags = b.u16(e + 2);
        const size_t nameSize = b.u16(e + 4), titleSize = b.u16(e + 6), formulaSize = b.u16(e + 8),
                     constantSize = b.u16(e + 10);
        Column& column = columns[i];
        column.sorted = flags & kSort;
        column.descending = flags & kDescending;
        column.hidden = flags & kHidden;
        column.itemName = Lmbcs(b.sub(at, nameSize));
        at += nameSize;
        column.title = Lmbcs(b.sub(at, titleSize));
        at += titleSize;
        column.hasFormula = formulaSize > 0;
        b.sub(at, formulaSize + constantSize);
        at += formulaSize + constantSize;
    }
    return columns;
}

MimePart DecodeMimePart(std::string_view value) {
    constexpr size_t kFlags = 2, kSize = 8, kBoundarySize = 10, kHeadersSize = 12;
    constexpr uint32_t kBodyInObject = 0x0004;
    const Bytes b(value);
    const size_t size = b.u16(kSize), boundary = b.u16(kBoundarySize), headers = b.u16(kHeadersSize);
    if (boundary + headers > size)
        throw FormatError(reason_text::MimePartTooLarge());
    const Bytes part(b.sub(kMimePartHead, size));
    MimePart out;
    out.boundary = part.sub(0, boundary);
    out.headers = part.sub(boundary, headers);
    out.body = part.sub(boundary + headers, size - boundary - headers);
    out.bodyInObject = (b.u32(kFlags) & kBodyInObject) != 0;
    return out;
}

ViewKind DecodeViewKind(const Note& view) {
    ViewKind kind;
    const Item* flags = view.find(u"$Flags");
    if (!flags || !flags->unreadable.empty() || !IsValueType(flags->type))
        return kind;
    for (const auto& value : DecodeValues(flags->type, flags->value).values)
        if (const auto* text = std::get_if<std::u16string>(&value)) {
            kind.folder = kind.folder || text->find(u'F') != std::u16string::npos;
            kind.navigator = kind.navigator || text->find(u'G') != std::u16string::npos;
        }
    return kind;
}

namespace {

// The words of compiled formula programs.
namespace word {
constexpr uint16_t kText = 0x0001;
constexpr uint16_t kEnd = 0x0003;
constexpr uint16_t kParenthesis = 0x0004;
constexpr uint16_t kItem = 0x0005;
constexpr uint16_t kAll = 0x0066;
constexpr uint16_t kIsUnavailable = 0x0159;
constexpr uint16_t kIsAvailable = 0x0168;
constexpr uint16_t kEquals = 0x020A;
constexpr uint16_t kNotEquals = 0x020B;
constexpr uint16_t kAnd = 0x021C;
constexpr uint16_t kOr = 0x021D;
constexpr uint16_t kList = 0x021F;
} // namespace word

struct ProgramWord {
    uint16_t word = 0;
    std::u16string operand; // an item's name or a text
};

// The words of a program, up to its end word.
std::vector<ProgramWord> ProgramWords(Bytes code) {
    std::vector<ProgramWord> words;
    for (size_t at = 0; at + 2 <= code.size();) {
        const uint16_t w = code.u16(at);
        if (w == word::kEnd)
            break;
        if (w == word::kText || w == word::kItem) {
            const size_t length = code.u16(at + 2);
            words.push_back({w, Lmbcs(code.sub(at + 4, length))});
            at += 4 + length + (length & 1);
            continue;
        }
        words.push_back({w, {}});
        at += 2;
    }
    return words;
}

std::u16string Quoted(const std::u16string& text) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u"\"";
}

// The formula text of a selection program, or nothing with the words not understood.
std::optional<std::u16string> SelectionText(const std::vector<ProgramWord>& words, std::vector<uint16_t>& unknown) {
    std::vector<std::u16string> stack;
    for (const ProgramWord& w : words) {
        switch (w.word) {
        case word::kItem:
            stack.push_back(w.operand);
            break;
        case word::kText:
            stack.push_back(Quoted(w.operand));
            break;
        case word::kParenthesis:
            break;
        case word::kAll:
            stack.push_back(u"@All");
            break;
        case word::kIsAvailable:
        case word::kIsUnavailable:
            if (stack.empty())
                return std::nullopt;
            stack.back() = (w.word == word::kIsAvailable ? u"@IsAvailable(" : u"@IsUnavailable(") + stack.back() + u")";
            break;
        case word::kEquals:
        case word::kNotEquals:
        case word::kAnd:
        case word::kOr:
        case word::kList: {
            if (stack.size() < 2)
                return std::nullopt;
            const std::u16string right = std::move(stack.back());
            stack.pop_back();
            std::u16string& left = stack.back();
            // Every part in parentheses: the text's precedence is then the program's.
            if (w.word == word::kNotEquals)
                left = u"!(" + left + u" = " + right + u")"; // no pair equal, as the program tests
            else
                left = u"(" + left +
                       (w.word == word::kEquals ? u" = "
                        : w.word == word::kAnd  ? u" & "
                        : w.word == word::kOr   ? u" | "
                                                : u" : ") +
                       right + u")";
            break;
        }
        default:
            unknown.push_back(w.word);
            break;
        }
    }
    if (!unknown.empty() || stack.size() != 1)
        return std::nullopt;
    return u"SELECT " + stack.front();
}

} // namespace

CompiledFormulas DecodeCompiledFormulas(std::string_view value) {
    constexpr uint16_t kSelection = 0, kColumn = 2;
    const Bytes b(value);
    CompiledFormulas out;
    const size_t total = std::min<size_t>(b.u16(0), value.size());
    for (size_t at = 2; at + 4 <= total;) {
        const uint16_t type = b.u16(at), length = b.u16(at + 2);
        if (length < 4 || at + length > total)
            throw FormatError(reason_text::FormulaRecordDoesNotFit());
        const Bytes body(b.sub(at + 4, length - 4u));
        if (type == kSelection) {
            out.hasSelection = true;
            out.selection = SelectionText(ProgramWords(body), out.unknownWords);
        } else if (type == kColumn) {
            const size_t nameLength = body.u16(0);
            const std::u16string name = Lmbcs(body.sub(2, nameLength));
            const std::vector<ProgramWord> words = ProgramWords(
                Bytes(body.sub(2 + nameLength + (nameLength & 1), body.size() - 2 - nameLength - (nameLength & 1))));
            if (words.size() == 1 && words.front().word == word::kItem)
                out.columnItems.emplace_back(name, words.front().operand);
        }
        at += length;
    }
    return out;
}

} // namespace nsf
