// Reads every note of a Domino database file and decodes every item the reader decodes, as the
// import does, attachments from the object store among them. A note that cannot be read is passed over (its error is the reader's own); a file
// that cannot be read at all raises nsf::FormatError.
#pragma once

#include "nsf/Database.h"
#include "nsf/Values.h"

#include <filesystem>

inline void ReadEveryNote(const std::filesystem::path& file) {
    nsf::Database db(file);
    for (const auto& ref : db.notes()) {
        try {
            const auto note = db.readNote(ref);
            if (!note)
                continue;
            for (const auto& item : note->items) {
                try {
                    if (item.type == nsf::data_type::kComposite) {
                        nsf::DecodeRichText(item.value);
                    } else if (item.type == nsf::data_type::kViewFormat) {
                        nsf::DecodeViewFormat(item.value);
                    } else if (item.type == nsf::data_type::kMimePart) {
                        nsf::DecodeMimePart(item.value);
                    } else if (item.type == nsf::data_type::kObject) {
                        const nsf::FileObject file = nsf::DecodeFileObject(item.value);
                        db.readAttachment(file.objectId, file.compression, file.size);
                    } else if (nsf::IsValueType(item.type)) {
                        nsf::DecodeValues(item.type, item.value);
                    }
                } catch (const nsf::FormatError&) {
                }
            }
        } catch (const nsf::FormatError&) {
        }
    }
}
