#include "nsf/Values.h"

#include "nsf/Lmbcs.h"

#include <cmath>
#include <cstdio>

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
        out += time.julianDay ? "T" + std::string(text) + "Z" : std::string(text);
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
    default:
        throw FormatError("values of type " + DataTypeName(type) + " are not read");
    }
    return out;
}

RichText DecodeRichText(std::string_view bytes) {
    constexpr uint8_t kParagraph = 0x81;
    constexpr uint8_t kText = 0x85;
    constexpr uint8_t kGraphic = 0x99;
    RichText out;
    std::u16string paragraph;
    bool started = false;
    const Bytes b(bytes);
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
        if (signature == kParagraph) {
            if (started)
                out.paragraphs.push_back(std::move(paragraph));
            paragraph.clear();
            started = true;
        } else if (signature == kText && marker == 0xFF && length >= 8) {
            LmbcsText text = LmbcsToUtf16(b.sub(at + 8, length - 8));
            out.unconverted += text.unconverted;
            paragraph += text.text;
            started = true;
        } else if (signature == kGraphic && marker == 0xFF) {
            ++out.pictures;
        }
        at += length + (length & 1); // records start on even offsets
    }
    if (started)
        out.paragraphs.push_back(std::move(paragraph));
    return out;
}

FileObject DecodeFileObject(std::string_view bytes) {
    // The object descriptor (type, RRV), then the name's length, host type, compression,
    // attributes, flags, the size, two times, and the name.
    constexpr size_t kHeader = 36;
    const Bytes b(bytes);
    const size_t length = b.u16(6);
    if (length == 0)
        throw FormatError("the file object has no name");
    const LmbcsText name = LmbcsToUtf16(b.sub(kHeader, length));
    for (char16_t c : name.text)
        if (c < 0x20 || c == 0xFFFD)
            throw FormatError("the file object's name is not plain text: its layout is another");
    return FileObject{name.text, b.u32(16)};
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

bool MimeBodyInObjectStore(std::string_view value) {
    constexpr size_t kFlags = 2;                    // u32 after the part's version word
    constexpr uint32_t kBodyInObjectStore = 0x0004; // the body is a file of the object store
    return (Bytes(value).u32(kFlags) & kBodyInObjectStore) != 0;
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

} // namespace nsf
