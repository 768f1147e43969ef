#include "xls/Sst.h"

#include "xls/XlsError.h"

#include <algorithm>
#include <cstring>

namespace xls {

namespace {

constexpr size_t kItemHeader = 3; // u16 character count, u8 flags
constexpr uint8_t kWideFlag = 0x01;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

uint32_t ItemCount(const uint8_t* item) {
    return item[0] | (item[1] << 8);
}
bool ItemWide(const uint8_t* item) {
    return (item[2] & kWideFlag) != 0;
}

// A hash of an item's bytes, taken as they are written (reading them back at once from memory
// would wait for the stores just made).
class ItemHash {
public:
    explicit ItemHash(size_t size) : m_size(size), m_h(size * kMul) {}

    void add(uint8_t byte) {
        m_word |= static_cast<uint64_t>(byte) << (8 * m_fill);
        if (++m_fill == 8) {
            m_h = (m_h ^ m_word) * kMul;
            m_h ^= m_h >> 29;
            m_word = 0;
            m_fill = 0;
        }
    }

    uint32_t value() const {
        uint64_t h = (m_h ^ m_word ^ m_size) * kMul;
        h ^= h >> 32;
        h *= kMul;
        return static_cast<uint32_t>((h ^ (h >> 29)) >> 32);
    }

private:
    static constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    uint64_t m_size;
    uint64_t m_h;
    uint64_t m_word = 0;
    unsigned m_fill = 0;
};

// The byte of a hash a slot keeps: its top bits, never 0 (a free slot).
uint8_t SlotTag(uint32_t hash) {
    return static_cast<uint8_t>(1 + (hash >> 24) % 255);
}

// How many of the `left` characters at chars fit into roomBytes without splitting a surrogate pair.
size_t FittingUnits(const uint8_t* chars, size_t left, size_t roomBytes, bool wide) {
    if (!wide)
        return std::min(left, roomBytes);
    size_t n = std::min(left, roomBytes / 2);
    if (n > 0 && n < left) {
        const auto last = static_cast<char16_t>(chars[2 * (n - 1)] | (chars[2 * (n - 1) + 1] << 8));
        const auto next = static_cast<char16_t>(chars[2 * n] | (chars[2 * n + 1] << 8));
        if (IsHighSurrogate(last) && IsLowSurrogate(next))
            --n;
    }
    return n;
}

} // namespace

StringTable::StringTable() : m_tags(1024, 0), m_indexes(1024, 0) {}

StringTable::~StringTable() = default;

uint8_t* StringTable::reserve(size_t bytes) {
    if (m_blockCapacity - m_blockUsed < bytes) {
        // The largest item (3 + 2 * 32767 bytes) always fits a fresh block.
        m_blocks.emplace_back(new uint8_t[kBlockSize]);
        m_blockUsed = 0;
        m_blockCapacity = kBlockSize;
    }
    return m_blocks.back().get() + m_blockUsed;
}

uint32_t StringTable::add(std::u16string_view text) {
    size_t count = std::min(text.size(), kMaxTextLength);
    if (count < text.size() && IsHighSurrogate(text[count - 1]) && IsLowSurrogate(text[count]))
        --count;
    char16_t all = 0;
    for (size_t i = 0; i < count; ++i)
        all |= text[i];
    const bool wide = all >= 0x100;
    const size_t bytes = kItemHeader + count * (wide ? 2 : 1);

    uint8_t* item = reserve(bytes);
    item[0] = static_cast<uint8_t>(count);
    item[1] = static_cast<uint8_t>(count >> 8);
    item[2] = wide ? kWideFlag : 0;
    ItemHash itemHash(bytes);
    for (size_t i = 0; i < kItemHeader; ++i)
        itemHash.add(item[i]);
    uint8_t* chars = item + kItemHeader;
    if (wide) {
        // A surrogate without its partner is no character: readers refuse it (or drop the rest
        // of the text), so it is stored as U+FFFD.
        for (size_t i = 0; i < count; ++i) {
            char16_t c = text[i];
            const bool paired = IsHighSurrogate(c) ? i + 1 < count && IsLowSurrogate(text[i + 1])
                                                   : IsLowSurrogate(c) && i > 0 && IsHighSurrogate(text[i - 1]);
            if ((IsHighSurrogate(c) || IsLowSurrogate(c)) && !paired)
                c = u'\uFFFD';
            chars[2 * i] = static_cast<uint8_t>(c);
            chars[2 * i + 1] = static_cast<uint8_t>(c >> 8);
            itemHash.add(static_cast<uint8_t>(c));
            itemHash.add(static_cast<uint8_t>(c >> 8));
        }
    } else {
        for (size_t i = 0; i < count; ++i) {
            chars[i] = static_cast<uint8_t>(text[i]);
            itemHash.add(static_cast<uint8_t>(text[i]));
        }
    }

    const uint32_t hash = itemHash.value();
    const uint8_t tag = SlotTag(hash);
    const size_t mask = m_tags.size() - 1;
    size_t slot = hash & mask;
    for (; m_tags[slot] != 0; slot = (slot + 1) & mask) {
        if (m_tags[slot] == tag) {
            const uint32_t index = m_indexes[slot];
            if (m_hashes[index] == hash) {
                const uint8_t* other = m_items[index];
                if (std::memcmp(other, item, kItemHeader) == 0 && std::memcmp(other, item, bytes) == 0)
                    return index;
            }
        }
    }

    if (m_items.size() >= 0xFFFFFFFEu)
        throw Error(Error::Code::TooLarge, "Too many distinct texts for one workbook");
    // Room in both lists first, so that they never disagree, whatever fails.
    if (m_items.size() == m_items.capacity())
        m_items.reserve(std::max<size_t>(1024, m_items.size() * 2));
    if (m_hashes.size() == m_hashes.capacity())
        m_hashes.reserve(std::max<size_t>(1024, m_hashes.size() * 2));
    const auto index = static_cast<uint32_t>(m_items.size());
    m_blockUsed += bytes;
    m_items.push_back(item);
    m_hashes.push_back(hash);
    m_tags[slot] = tag;
    m_indexes[slot] = index;
    if (m_items.size() * 2 > m_tags.size())
        grow();
    return index;
}

void StringTable::grow() {
    const size_t size = m_tags.size() * 2;
    std::vector<uint8_t> tags(size, 0);
    std::vector<uint32_t> indexes(size, 0);
    const size_t mask = size - 1;
    for (uint32_t index = 0; index < m_hashes.size(); ++index) {
        size_t slot = m_hashes[index] & mask;
        while (tags[slot] != 0)
            slot = (slot + 1) & mask;
        tags[slot] = SlotTag(m_hashes[index]);
        indexes[slot] = index;
    }
    m_tags.swap(tags);
    m_indexes.swap(indexes);
}

std::u16string StringTable::text(uint32_t index) const {
    const uint8_t* item = m_items.at(index);
    const uint32_t count = ItemCount(item);
    const uint8_t* chars = item + kItemHeader;
    std::u16string out(count, u'\0');
    for (uint32_t i = 0; i < count; ++i)
        out[i] = ItemWide(item) ? static_cast<char16_t>(chars[2 * i] | (chars[2 * i + 1] << 8)) : chars[i];
    return out;
}

size_t StringTable::memoryUsage() const noexcept {
    return m_blocks.size() * kBlockSize + m_blocks.capacity() * sizeof(m_blocks[0]) +
           m_items.capacity() * sizeof(m_items[0]) + m_hashes.capacity() * sizeof(m_hashes[0]) +
           m_tags.capacity() * sizeof(m_tags[0]) + m_indexes.capacity() * sizeof(m_indexes[0]);
}

void StringTable::write(RecordWriter& out, uint32_t cellReferences) const {
    const uint32_t unique = size();
    // EXTSST indexes every perBucket-th string, in at most 128 buckets; its field is 16 bits wide,
    // so tables of more than 8.4 million strings keep only the first 128 buckets.
    const uint32_t perBucket = std::clamp<uint32_t>(unique / 128 + 1, 8, 0xFFFF);
    struct Bucket {
        uint32_t streamOffset;
        uint16_t recordOffset;
    };
    std::vector<Bucket> buckets;
    buckets.reserve(128);

    out.begin(record::kSst);
    out.putU32(cellReferences);
    out.putU32(unique);
    for (uint32_t i = 0; i < unique; ++i) {
        const uint8_t* item = m_items[i];
        const bool wide = ItemWide(item);
        const size_t unit = wide ? 2 : 1;
        const uint8_t* chars = item + kItemHeader;
        size_t left = ItemCount(item);

        // The header never splits, and it starts a piece only with at least one character beside it.
        size_t take = out.room() >= kItemHeader ? FittingUnits(chars, left, out.room() - kItemHeader, wide) : 0;
        if (out.room() < kItemHeader || (left > 0 && take == 0)) {
            out.continueRecord();
            take = FittingUnits(chars, left, out.room() - kItemHeader, wide);
        }
        if (i % perBucket == 0 && buckets.size() < 128) {
            const size_t inRecord = RecordWriter::kHeaderSize + out.pieceSize();
            buckets.push_back({static_cast<uint32_t>(out.pieceStart() + inRecord), static_cast<uint16_t>(inRecord)});
        }
        out.put(item, kItemHeader);
        out.put(chars, take * unit);
        chars += take * unit;
        left -= take;
        // The rest goes into CONTINUE records, each starting with the string's flags byte.
        while (left > 0) {
            out.continueRecord();
            out.putU8(item[2]);
            take = FittingUnits(chars, left, out.room(), wide);
            out.put(chars, take * unit);
            chars += take * unit;
            left -= take;
        }
    }
    out.end();

    out.begin(record::kExtSst);
    out.putU16(static_cast<uint16_t>(perBucket));
    for (const Bucket& bucket : buckets) {
        out.putU32(bucket.streamOffset);
        out.putU16(bucket.recordOffset);
        out.putU16(0);
    }
    out.end();
}

} // namespace xls
