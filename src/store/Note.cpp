#include "store/Note.h"

#include "store/Names.h"

namespace store {

const ItemData* NoteData::findItem(std::u16string_view name) const {
    for (const auto& item : items)
        if (EqualsIgnoreCase(item.name, name))
            return &item;
    return nullptr;
}

std::vector<std::u16string> NoteData::attachmentNames() const {
    std::vector<std::u16string> names;
    for (const auto& file : files)
        if (file.kind == file_kind::kAttachment)
            names.push_back(file.name);
    return names;
}

} // namespace store
