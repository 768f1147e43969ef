// The built index of a view ($ViewContainer): which documents it lists, from its note-id tree.
#include "nsf/Database.h"
#include "nsf/ReasonText.h"
#include "nsf/Structures.h"

#include <algorithm>
#include <array>

namespace nsf {

using namespace disk;

namespace {

// An 8 KB container page: sectors 1 to 15 have the low nibble of their first byte replaced by a
// stamp; the true nibbles stand at kNibbles, high nibble first, nibble k for sector k.
void UnstampPage(std::string& page) {
    if (page.size() != view_index::kSmallPage)
        return;
    std::array<uint8_t, 16> nibbles{};
    for (size_t i = 0; i < 8; ++i) {
        const auto byte = static_cast<uint8_t>(page[view_index::kNibbles + i]);
        nibbles[2 * i] = byte >> 4;
        nibbles[2 * i + 1] = byte & 0x0F;
    }
    for (size_t sector = 1; sector < 16; ++sector) {
        char& first = page[sector * 512];
        first = static_cast<char>((static_cast<uint8_t>(first) & 0xF0) | nibbles[sector]);
    }
}

// The note ids of the first note-id node body in page with count records (slot count + 1), or
// nothing. Old copies of a node stay in the page; the first one that fits is taken.
std::optional<std::vector<uint32_t>> NoteIdBody(const std::string& page, size_t count) {
    using namespace view_index;
    const Bytes b(page);
    for (size_t at = kFirstBody; (at = page.find(std::string_view("\0\3", 2), at)) != std::string::npos; ++at) {
        if (!b.has(at, 6) || b.u16(at + 4) != count + 1)
            continue;
        const size_t size = b.u16(at + 2);
        if (size <= 6 || size >= page.size() - at)
            continue;
        std::vector<uint32_t> ids;
        bool sound = true;
        for (size_t i = 0; i < count && sound; ++i) {
            const size_t slot = at + kNoteIdSlots + kNoteIdSlot * i;
            if (!b.has(slot, 12)) {
                sound = false;
                break;
            }
            const size_t offset = b.u16(slot + 1), length = b.u16(slot + 5);
            if (offset == 0 || offset + length > size + 8 || length < 8 || !b.has(at + offset, 4)) {
                sound = false;
                break;
            }
            const uint32_t id = b.u32(at + offset);
            if (!(id & kCategory) && ((id & 1) || id == 0 || id >= 0x01000000))
                sound = false;
            else if (!(id & kCategory))
                ids.push_back(id);
        }
        if (sound)
            return ids;
    }
    return std::nullopt;
}

} // namespace

std::vector<uint32_t> Database::readViewIndex(uint32_t containerId) {
    using namespace view_index;
    const std::string container = readObjectData(containerId);
    const Bytes c(container);
    const uint32_t pageCount = c.u32(kPageCount);
    // A page by its number: where the container puts it, its number and size checked.
    const auto page = [&](uint32_t number) {
        if (number >= pageCount)
            throw FormatError(reason_text::IndexNamesPage(number, pageCount));
        const uint64_t position = uint64_t{c.u32(kPages + kPageEntry * number)} * 256;
        const std::string head = readAt(position, 6, reason_text::ViewIndexPageName);
        const uint16_t size = Bytes(head).u16(4);
        if (Bytes(head).u16(0) != number || (size != kSmallPage && size != kLargePage))
            throw FormatError(reason_text::IndexPageInvalid(number, Where(position)));
        std::string bytes = readAt(position, size, reason_text::ViewIndexPageName);
        UnstampPage(bytes);
        return bytes;
    };
    const std::string first = page(0);
    // The first three node headers: the collation tree's root, an empty tree, the note-id tree.
    size_t headers = 0;
    for (size_t at = 0; headers < 3 && (at = first.find(kNodeHeader, at)) != std::string::npos; ++at, ++headers) {
        if (at + kNodeHeaderSize > first.size())
            break;
        if (static_cast<uint8_t>(first[at + kNodeKind]) != kNoteIdTree)
            continue;
        if (static_cast<uint8_t>(first[at + kNodeDepth]) != 1)
            throw FormatError(reason_text::NoteIdTreeLevels());
        const uint8_t bodyPage = static_cast<uint8_t>(first[at + kNodeBodyPage]);
        const size_t count = static_cast<uint8_t>(first[at + kNodeCount]);
        const std::string bodies = bodyPage == 0 ? first : page(bodyPage);
        if (auto ids = NoteIdBody(bodies, count))
            return std::move(*ids);
        throw FormatError(reason_text::NoteIdTreeBodyMissing(count));
    }
    throw FormatError(reason_text::NoNoteIdTree());
}

} // namespace nsf
