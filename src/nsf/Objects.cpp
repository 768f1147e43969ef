// The object store: the records that hold attachments, reached through the RRV table by their
// ids, and the decoding of what they hold.
#include "nsf/Cx.h"
#include "nsf/Database.h"
#include "nsf/Huffman.h"
#include "nsf/ReasonText.h"
#include "nsf/Structures.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cctype>

namespace nsf {

using namespace disk;

std::pair<std::string, std::string> Database::readObject(uint32_t objectId) {
    using namespace object_record;
    const auto ref = std::lower_bound(m_notes.begin(), m_notes.end(), objectId,
                                      [](const NoteRef& entry, uint32_t id) { return entry.noteId < id; });
    if (ref == m_notes.end() || ref->noteId != objectId)
        throw FormatError(reason_text::ObjectNotInRrv(Hex(objectId)));
    if (KindOf(ref->position, ref->slot) != EntryKind::FilePosition)
        throw FormatError(reason_text::ObjectNotAtPosition(Hex(objectId)));
    const uint64_t position = uint64_t{ref->position} * 256;
    const std::string head = readAt(position, kHeaderSizeOds52, reason_text::ObjectRecordName);
    const Bytes h(head);
    const uint16_t signature = h.u16(0);
    if (signature != kSignature && signature != kSignatureOds52)
        throw FormatError(reason_text::NoObjectRecord(Hex(position)));
    const size_t headerSize = signature == kSignature ? kHeaderSize : kHeaderSizeOds52;
    const uint32_t length = h.u32(kSize);
    if (length < headerSize)
        throw FormatError(reason_text::ObjectRecordClaims(Where(position), length));
    std::string stored = readAt(position + headerSize, length - headerSize, reason_text::ObjectRecordName);
    std::string tag;
    if (signature == kSignatureOds52 && h.u16(kTagKind) == 1) {
        tag = std::string(h.sub(kTag, kTagSize));
        if (!std::all_of(tag.begin(), tag.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            tag.clear(); // not a tag after all
    }
    return {std::move(stored), std::move(tag)};
}

std::string Database::readAttachment(uint32_t objectId, uint16_t compression, uint32_t size) {
    auto [stored, tag] = readObject(objectId);
    if (!tag.empty()) {
        // The SHA-1 of the stored bytes in hex, then their length in 8 hex digits.
        const QByteArray sha1 =
            QCryptographicHash::hash(QByteArray::fromRawData(stored.data(), static_cast<qsizetype>(stored.size())),
                                     QCryptographicHash::Sha1)
                .toHex();
        if (sha1.compare(QByteArray::fromStdString(tag.substr(0, 40)), Qt::CaseInsensitive) != 0 ||
            std::stoul(tag.substr(40), nullptr, 16) != stored.size())
            throw FormatError(reason_text::Sha1Mismatch());
    }
    switch (compression) {
    case file_object::kNone:
        if (stored.size() != size)
            throw FormatError(reason_text::ObjectHolds(stored.size(), size));
        return std::move(stored);
    case file_object::kHuffman:
    case file_object::kHuffman2:
        return HuffmanDecompress(stored, size);
    case file_object::kLz1:
        // As for the superblocks: a claim far beyond what the stored bytes can expand to is damage.
        if (size > kMaxStructure || size > uint64_t{stored.size()} * 1024 + (1u << 20))
            throw FormatError(reason_text::Lz1Claims(size));
        // Not seen in any file: taken as the CX coding of the superblocks, and only when it gives
        // exactly the size the file object states.
        try {
            return CxDecompress(stored, size);
        } catch (const FormatError& e) {
            throw FormatError(reason_text::Lz1NotDecoded(e.what()));
        }
    default:
        throw FormatError(reason_text::UnknownCompression(compression));
    }
}

} // namespace nsf
