// The shared string table: every distinct cell text once, in the order first added, kept in the
// form the file stores it (2-byte character count, flags byte, characters one byte each when all
// are below U+0100, else UTF-16LE). Writes the SST record with its CONTINUE records and EXTSST.
#pragma once

#include "xls/RecordWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// Characters a cell can hold (UTF-16 code units).
constexpr size_t kMaxTextLength = 32767;

class StringTable {
public:
    StringTable();
    ~StringTable();
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // Adds a text and returns its index; an equal text already present gives its index. Texts
    // longer than kMaxTextLength are cut to it (one less when the cut would split a surrogate pair);
    // a surrogate without its partner is stored as U+FFFD.
    uint32_t add(std::u16string_view text);
    uint32_t size() const noexcept { return static_cast<uint32_t>(m_items.size()); }
    // The text stored under index.
    std::u16string text(uint32_t index) const;
    // Bytes held, for memory accounting.
    size_t memoryUsage() const noexcept;

    // Writes SST (+CONTINUE) for cellReferences cells, then EXTSST.
    void write(RecordWriter& out, uint32_t cellReferences) const;

private:
    uint8_t* reserve(size_t bytes);
    void grow();

    static constexpr size_t kBlockSize = 1 << 20;
    std::vector<std::unique_ptr<uint8_t[]>> m_blocks;
    size_t m_blockUsed = kBlockSize;
    size_t m_blockCapacity = kBlockSize;
    std::vector<const uint8_t*> m_items;
    std::vector<uint32_t> m_hashes; // of each item, for placing it again when the table grows
    // Open addressing over two arrays: a byte of each slot's hash (0: a free slot), small enough to
    // stay in the cache where the item indexes beside it do not, so that a new text mostly costs no
    // read of memory; and the item index of each slot.
    std::vector<uint8_t> m_tags;
    std::vector<uint32_t> m_indexes;
};

} // namespace xls
