// What the two halves of the reader share: limits, the kinds of RRV entries, and where a
// position lies, as the error messages say it.
#pragma once

#include "nsf/Database.h"

#include <string>
#include <utility>
#include <vector>

namespace nsf::layout {

// No structure of a database is larger; a size beyond it is damage, not data.
constexpr uint64_t kMaxStructure = 256u << 20;

// An RRV entry: free, deleted, a slot of a summary bucket, or a file position.
enum class EntryKind { Unused, Slot, FilePosition };

inline EntryKind KindOf(uint32_t position, uint32_t slot) {
    if ((position == 0 && slot == 0) || position == 0xFFFFFFFF || position == 0x7FFFFFFF)
        return EntryKind::Unused;
    return (position & 0x80000000u) ? EntryKind::Slot : EntryKind::FilePosition;
}

inline std::string Where(uint64_t position) {
    return " at " + Hex(position);
}

} // namespace nsf::layout

namespace nsf {

// A summary bucket, its stamps undone.
struct Database::Bucket {
    std::string bytes;
    std::vector<std::pair<uint16_t, uint16_t>> slotTable; // offset, length
};

} // namespace nsf
