// A reader of Domino database files (.nsf, on-disk structure 43 to 55), without Domino.
//
// The walk: the file header and database information; the superblock with the highest write
// count (CX compressed), which lists the summary buckets and carries the current data RRV
// bucket; the bucket descriptor block (CX compressed), which lists the RRV buckets and the item
// name table; the RRV buckets, which map each note id to a slot of a summary bucket or to a file
// position; the note records there, with their summary values and, inline, in a block of their
// own or in a slot of a non-summary bucket, their non-summary values. Every offset and size read from the file is
// checked before use: a damaged file raises FormatError naming what is wrong, or, where one note or item is damaged,
// that note or item is reported and the rest is read.
#pragma once

#include "nsf/Bytes.h"
#include "nsf/Structures.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QFile;

namespace nsf {

// Note classes.
namespace note_class {
constexpr uint16_t kDocument = 0x0001;
constexpr uint16_t kInfo = 0x0002;
constexpr uint16_t kForm = 0x0004;
constexpr uint16_t kView = 0x0008;
constexpr uint16_t kIcon = 0x0010;
constexpr uint16_t kDesign = 0x0020;
constexpr uint16_t kAcl = 0x0040;
constexpr uint16_t kDefault = 0x8000;
} // namespace note_class

// Item flags.
namespace item_flag {
constexpr uint16_t kSigned = 0x0001;
constexpr uint16_t kSealed = 0x0002; // encrypted
constexpr uint16_t kSummary = 0x0004;
constexpr uint16_t kNoTypeWord = 0x0008; // the value has no type word of its own
constexpr uint16_t kAuthors = 0x0020;
constexpr uint16_t kNames = 0x0040;
constexpr uint16_t kReaders = 0x0400;
constexpr uint16_t kCompressed = 0x8000; // the value is a u32 expanded size, then one CX stream
} // namespace item_flag

// A time: hundredths of a second since midnight UTC and the Julian day (low 24 bits of date).
struct TimeDate {
    uint32_t time = 0;
    uint32_t date = 0;
};

struct DatabaseInfo {
    uint32_t ods = 0;        // on-disk structure version
    uint64_t size = 0;       // the file's size
    uint64_t statedSize = 0; // the size its header states (a larger one: the file was cut short)
    std::u16string title;
    std::string replicaId; // 16 upper-case hex digits
};

struct Item {
    std::u16string name;
    uint16_t type = 0; // the Domino data type (0x0500 text, 0x0300 number, ...)
    uint16_t flags = 0;
    std::string value; // the value's bytes after its type word
    // Why the value could not be read; empty when it was.
    std::string unreadable;
};

struct Note {
    uint32_t noteId = 0;
    uint16_t noteClass = 0;
    uint16_t status = 0;
    std::string unid; // 32 upper-case hex digits
    TimeDate created;
    TimeDate modified;
    std::vector<Item> items;
    // What was read other than as the file has it (a repaired placement of values, a record that
    // carries another note's number), one line each.
    std::vector<std::string> warnings;

    // The first item of that name (ASCII letters compared without case), or nullptr.
    const Item* find(std::u16string_view name) const;
};

// Where the RRV table puts a note.
struct NoteRef {
    uint32_t noteId = 0;
    uint32_t position = 0; // the entry's two words
    uint32_t slot = 0;
};

struct BlockShape;

// An open database file. Not safe for use from two threads at once.
class Database {
public:
    // Opens file and reads its structure down to the RRV table. Raises FormatError when the file
    // cannot be read or is no database this reader knows.
    explicit Database(const std::filesystem::path& file);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const DatabaseInfo& info() const { return m_info; }
    // The notes the RRV table lists as present, in note id order.
    const std::vector<NoteRef>& notes() const { return m_notes; }
    // What could not be read of the database's own structures (a bucket of the RRV table, a
    // damaged newer copy of a block whose older copy was read), one line each.
    const std::vector<std::string>& problems() const { return m_problems; }
    // What is worth knowing but lost nothing (an on-disk structure this reader has not been
    // checked on), one line each.
    const std::vector<std::string>& notices() const { return m_notices; }
    // Whether notes of the RRV table were lost with a bucket of it that could not be read.
    bool notesMissing() const { return m_notesMissing; }
    // How many deletion stubs readNote() has met so far.
    uint64_t deletionStubs() const { return m_deletionStubs; }
    // Reads one note. Nothing for a deletion stub or an entry that is an object, not a note.
    // Raises FormatError when the note cannot be read; its items that cannot be read come back
    // with the reason in Item::unreadable.
    std::optional<Note> readNote(const NoteRef& ref);
    // The bytes of a file attachment from the object store, decoded and checked (the size, the
    // Huffman checksum, the SHA-1 tag of files written by on-disk structure 52 and later). Raises
    // FormatError saying what does not match or cannot be read.
    std::string readAttachment(uint32_t objectId, uint16_t compression, uint32_t size);
    // The stored bytes of object objectId (a folder's member list, say). Raises FormatError.
    std::string readObjectData(uint32_t objectId) { return readObject(objectId).first; }
    // The note ids of the documents a view's built index lists (its $ViewContainer object's id),
    // in note id order as the tree keeps them. The index may be stale. Raises FormatError.
    std::vector<uint32_t> readViewIndex(uint32_t containerId);

    // Whether bytes begin as a database file does.
    static bool HasSignature(std::string_view firstBytes);

private:
    // A summary bucket, its stamps undone.
    struct Bucket {
        std::string bytes;
        disk::BucketLayout layout;
    };
    // The bytes at position; what names them in the error raised when they cannot be read.
    std::string readAt(uint64_t position, uint64_t size, std::string (*what)());
    void readHeader();
    void readNewestCopy(
        const std::vector<disk::BlockCopy>& copies, const BlockShape& shape,
        const std::function<void(const Bytes& head, const Bytes& body, const std::string& what, bool strict)>& take);
    void checkInsideFile(const std::vector<uint64_t>& positions, bool strict) const;
    void readSuperblock();
    void readDescriptorBlock();
    void readRrvTable();
    const Bucket& bucketAt(uint64_t position);
    std::string slotBytes(const std::vector<uint64_t>& buckets, uint32_t bucket, uint32_t slot);
    void placeValues(Note& note, const std::vector<size_t>& sizes, Bytes record, uint32_t nonSummaryId,
                     uint32_t nonSummarySize);
    std::pair<std::string, size_t> nonSummaryBlock(const Note& note, Bytes record, uint32_t id, uint32_t size);
    // Whether some entry of the RRV table lists noteId.
    bool listed(uint32_t noteId) const;
    // The stored bytes of object objectId and the SHA-1 tag its record carries (empty if none).
    std::pair<std::string, std::string> readObject(uint32_t objectId);

    std::unique_ptr<QFile> m_file;
    uint64_t m_fileSize = 0;
    DatabaseInfo m_info;
    uint32_t m_rrvBucketSize = 0;
    std::vector<disk::BlockCopy> m_superblocks;
    std::vector<disk::BlockCopy> m_descriptorBlocks;
    std::vector<uint64_t> m_summaryBuckets;
    std::vector<uint64_t> m_nonSummaryBuckets;
    std::string m_currentRrvBucket; // the data RRV bucket the superblock carries
    std::vector<disk::RrvBucketRef> m_rrvBuckets;
    struct Name {
        std::u16string name;
        uint16_t type;
    };
    std::vector<Name> m_names;
    std::vector<NoteRef> m_notes;
    std::vector<std::string> m_problems;
    std::vector<std::string> m_notices;
    bool m_notesMissing = false;
    uint64_t m_deletionStubs = 0;
    // Recently read summary buckets, their stamps undone.
    std::unordered_map<uint64_t, std::unique_ptr<Bucket>> m_buckets;
    std::list<uint64_t> m_bucketOrder;
};

// A universal ID from its 16 bytes: two little-endian 64-bit halves in hex.
std::string UnidText(Bytes bytes, size_t offset);

} // namespace nsf
