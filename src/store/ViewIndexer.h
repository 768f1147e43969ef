// A view's index entries: which notes a view selects, and each one's place and column values.
#pragma once

#include "store/Formula.h"
#include "store/Note.h"
#include "store/ValueCodec.h"

#include <optional>
#include <string>
#include <vector>

namespace store {

// A view's entry for one note: its place in the order and its column values.
struct ViewEntry {
    std::string sortKey; // byte order = view order; ends with the note id, so keys are unique
    int64_t noteId = 0;
    std::string columns; // EncodeColumns of the column values
};

// A view's design compiled for building index entries.
// Characters of one text value that a view index keeps.
inline constexpr size_t kMaxColumnText = 16384;

class ViewIndexer {
public:
    explicit ViewIndexer(ViewDef def);
    const ViewDef& def() const { return m_def; }
    // The note's entry, or nothing when the selection does not select it.
    std::optional<ViewEntry> entryFor(const NoteData& note) const;

private:
    ViewDef m_def;
    std::optional<Formula> m_selection;
    std::vector<std::optional<Formula>> m_columnFormulas;
};

} // namespace store
