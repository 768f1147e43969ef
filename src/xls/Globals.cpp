#include "xls/Globals.h"

#include <array>

namespace xls {

namespace {

constexpr uint16_t kBiff8 = 0x0600;
constexpr uint16_t kGlobalsSubstream = 0x0005;
constexpr uint16_t kCodePageUtf16 = 1200;
constexpr uint8_t kTextFormatIndex = 49; // built-in number format "@"

// A ShortXLUnicodeString: character count, flags, characters (compressed when all are < U+0100).
void PutShortString(RecordWriter& out, std::u16string_view text) {
    bool wide = false;
    for (char16_t c : text)
        wide = wide || c >= 0x100;
    out.putU8(static_cast<uint8_t>(text.size()));
    out.putU8(wide ? 1 : 0);
    for (char16_t c : text) {
        if (wide)
            out.putU16(c);
        else
            out.putU8(static_cast<uint8_t>(c));
    }
}

void WriteFont(RecordWriter& out, uint16_t flags, uint16_t weight) {
    out.begin(record::kFont);
    out.putU16(200);    // 10 pt
    out.putU16(flags);  // 0x0002 italic
    out.putU16(0x7FFF); // automatic colour
    out.putU16(weight);
    out.putU16(0); // escapement
    out.putU8(0);  // underline
    out.putU8(0);  // family
    out.putU8(0);  // charset
    out.putU8(0);
    PutShortString(out, u"Arial");
    out.end();
}

void WriteXf(RecordWriter& out, uint16_t format, uint16_t typeAndParent, uint8_t usedAttributes) {
    std::array<uint8_t, 20> data{};
    data[2] = static_cast<uint8_t>(format);
    data[3] = static_cast<uint8_t>(format >> 8);
    data[4] = static_cast<uint8_t>(typeAndParent);
    data[5] = static_cast<uint8_t>(typeAndParent >> 8);
    data[6] = 0x20; // general alignment, bottom
    data[9] = usedAttributes;
    data[18] = 0xC0; // pattern colour 64, background 65
    data[19] = 0x20;
    out.record(record::kXf, data.data(), data.size());
}

} // namespace

void WriteBof(RecordWriter& out, uint16_t substreamType) {
    out.begin(record::kBof);
    out.putU16(kBiff8);
    out.putU16(substreamType);
    out.putU16(0x0DBB); // build
    out.putU16(0x07CC); // year
    out.putU32(0);      // file history flags
    out.putU32(6);      // lowest BIFF version
    out.end();
}

void WriteGlobals(RecordWriter& out, const StringTable& strings, uint32_t cellReferences,
                  const std::vector<SheetEntry>& sheets) {
    WriteBof(out, kGlobalsSubstream);

    out.begin(record::kCodePage);
    out.putU16(kCodePageUtf16);
    out.end();

    out.begin(record::kWindow1);
    out.putU16(0);      // x
    out.putU16(0);      // y
    out.putU16(16000);  // width, twips
    out.putU16(9000);   // height, twips
    out.putU16(0x0038); // scroll bars and sheet tabs shown
    out.putU16(0);      // active sheet
    out.putU16(0);      // first visible tab
    out.putU16(1);      // selected tabs
    out.putU16(600);    // tab bar width ratio
    out.end();

    // Regular, bold, italic, bold italic, regular: font index 4 is never referred to.
    WriteFont(out, 0, 400);
    WriteFont(out, 0, 700);
    WriteFont(out, 0x0002, 400);
    WriteFont(out, 0x0002, 700);
    WriteFont(out, 0, 400);

    // Style XF 0 (Normal), 14 outline style XFs, the default cell XF 15 and the text cell XF 16.
    WriteXf(out, 0, 0xFFF5, 0x00);
    for (int i = 1; i <= 14; ++i)
        WriteXf(out, 0, 0xFFF5, 0xF4);
    WriteXf(out, 0, 0x0001, 0x00);
    WriteXf(out, kTextFormatIndex, 0x0001, 0x04);

    out.begin(record::kStyle);
    out.putU16(0x8000); // built-in style on XF 0
    out.putU8(0);       // Normal
    out.putU8(0xFF);
    out.end();

    for (const SheetEntry& sheet : sheets) {
        out.begin(record::kBoundSheet);
        out.putU32(sheet.offset);
        out.putU8(0); // visible
        out.putU8(0); // worksheet
        PutShortString(out, sheet.name);
        out.end();
    }

    strings.write(out, cellReferences);

    out.record(record::kEof);
}

} // namespace xls
