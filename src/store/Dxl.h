// DXL (the Domino XML format) of a document: its note information and items, rich text with its
// pictures, and the bytes of its file objects.
#pragma once

#include "store/Note.h"

#include <functional>
#include <string>
#include <string_view>

namespace store {

struct DxlOptions {
    // Pasted bitmaps become <gif originalformat='notesbitmap'> instead of <notesbitmap>.
    bool convertNotesBitmapsToGif = false;
    // File objects whose data is left out: those rich text refers to, and the others.
    bool omitRichtextAttachments = false;
    bool omitMiscFileObjects = false;
    std::string replicaId; // 16 hex digits
};

// The DXL text (UTF-8) of a note. fileBytes gives the bytes of a file object.
std::string DocumentToDxl(const NoteData& note, const std::function<std::string(const FileData&)>& fileBytes,
                          const DxlOptions& options);
// A rich-text fragment re-written as DXL: attributes single-quoted, picture payloads broken into
// lines of 76 characters that start on the line after the opening tag, the closing tag on a line
// of its own. Raises CorruptData when the fragment is not well-formed.
std::string RichTextToDxl(std::string_view fragment, bool convertNotesBitmapsToGif);
// Base64 as DXL lays it out: a line feed, lines of 76 characters each ending in a line feed.
std::string WrapBase64(std::string_view base64);
// DXL date-time text: 20260101T120000,00, or 20260101 for midnight.
std::string DxlDateTime(double oleDate);

} // namespace store
