// The on-disk structures of a Domino database file, each in one place: where its fields stand
// (the offsets a writer of test files uses too) and how it is read. Offsets count bytes from the
// structure's start; every number is little-endian. File positions of blocks are kept divided by
// 256. The walk through them is described in Database.h.
#pragma once

#include "nsf/Bytes.h"
#include "nsf/ReasonText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nsf::disk {

// Where a block lies, and its size as the listing gives it.
struct BlockCopy {
    uint64_t position = 0; // 0: no copy
    uint32_t size = 0;
};

// The file header: the database information, then the second information block at 0x208.
namespace file_header {
constexpr uint16_t kSignature = 0x001A; // u16 at 0
constexpr size_t kOds = 6;              // u32: the on-disk structure version
constexpr size_t kFileSize = 88;        // u32: the file's size / 256
constexpr size_t kRrvBucketSize = 76;   // u16: the size of every RRV bucket
constexpr size_t kReplicaLow = 180;     // u32: the replica ID's low half
constexpr size_t kReplicaHigh = 184;    // u32: its high half
constexpr size_t kInformation = 200;    // the title, a line break, other information; NUL-padded
constexpr size_t kInformationSize = 128;
constexpr size_t kSuperblocks = 0x208 + 40; // 4 entries: u32 position / 256, u32 size
constexpr size_t kSuperblockCount = 4;
constexpr size_t kDescriptorBlocks = 0x208 + 104; // 2 entries: u32 size, u32 position / 256
constexpr size_t kDescriptorBlockCount = 2;
constexpr size_t kSize = 0x208 + 128;
} // namespace file_header

struct FileHeader {
    uint32_t ods = 0;
    uint16_t rrvBucketSize = 0;
    uint64_t fileSize = 0;        // as the header states it
    std::string replicaId;        // 16 upper-case hex digits
    std::string_view information; // up to its first NUL
    std::vector<BlockCopy> superblocks;
    std::vector<BlockCopy> descriptorBlocks;
};
// Whether bytes begin as a database file does: the signature and a plausible structure version.
bool HasFileSignature(std::string_view bytes);
// Reads the header from its kSize bytes; raises FormatError where it is no database's.
FileHeader ReadFileHeader(Bytes bytes);

// A block kept in copies with a write count (a superblock, a bucket descriptor block): a header,
// then its body in pieces, each a u32 count and that many bytes (one CX stream, or the body's
// bytes as they are), the pieces' output joined until the body's size is reached; then a trailer:
// the header's time again and the XOR of the u32 words of every piece (its count included, each
// piece padded with zeros to a multiple of four on its own). The stored size covers it all.
struct BlockHeader {
    uint16_t signature = 0;
    uint32_t writeCount = 0;
    uint32_t storedSize = 0;  // the whole block, header and trailer included
    uint16_t compression = 0; // 0 stored, 1 CX
    uint32_t size = 0;        // the body expanded
    uint64_t modified = 0;    // the header's TIMEDATE, as its 8 bytes read
};
namespace compression {
constexpr uint16_t kStored = 0;
constexpr uint16_t kCx = 1;
} // namespace compression
namespace block_frame {
constexpr size_t kPieceCount = 4;   // u32 before each piece
constexpr size_t kTrailerSize = 12; // TIMEDATE, u32 checksum
constexpr size_t kTrailerChecksum = 8;
} // namespace block_frame

// The XOR of the little-endian u32 words of bytes, the last one padded with zeros.
uint32_t XorWords(std::string_view bytes);
// The body of a block from the whole stored block (storedSize bytes from its start), its pieces
// expanded and joined and its trailer checked. Raises FormatError saying what does not fit.
std::string ReadBlockBody(Bytes block, size_t headerSize, const BlockHeader& header);

// The superblock: the lists of summary and non-summary buckets and bitmaps, and a copy of the
// current data RRV bucket. Its body: pages of summary bucket descriptors, pages of non-summary
// ones, the bitmap descriptors, then the RRV bucket.
namespace superblock {
constexpr uint16_t kSignature = 0x000E;   // u16 at 0
constexpr size_t kModified = 2;           // TIMEDATE
constexpr size_t kSize = 10;              // u32: the body expanded
constexpr size_t kSummaryBuckets = 14;    // u32: summary bucket descriptors in the body
constexpr size_t kNonSummaryBuckets = 18; // u32: non-summary bucket descriptors
constexpr size_t kBitmaps = 22;           // u32: bitmap descriptors
constexpr size_t kRrvBucketSize = 26;     // u32: the size of the RRV bucket the body carries
constexpr size_t kWriteCount = 60;        // u32
constexpr size_t kStoredSize = 64;        // u32: the whole block
constexpr size_t kCompression = 68;       // u16
constexpr size_t kSummaryPages = 70;      // u32
constexpr size_t kNonSummaryPages = 74;   // u32
constexpr size_t kHeaderSize = 100;
constexpr size_t kSummaryPageSize = 8206;
constexpr size_t kSummaryPageHeader = 224; // then the descriptors
// A page's first word, where not 0: the page is kept in a block of its own at that file position
// / 256 (signature kPageBlockSignature, the page kPageBlockHeader bytes in), and the body's copy
// is not one (seen in an ODS 43 file, where the copy held stale bytes).
constexpr size_t kSummaryPagePosition = 0;
constexpr uint16_t kPageBlockSignature = 0x0011;
constexpr size_t kPageBlockHeader = 26;
constexpr size_t kSummaryDescriptor = 14; // u32 position / 256 first
constexpr size_t kNonSummaryPageSize = 8198;
constexpr size_t kNonSummaryPageHeader = 70; // then the descriptors
constexpr size_t kNonSummaryDescriptor = 6;  // u32 position / 256 first
constexpr size_t kBitmapDescriptor = 20;
} // namespace superblock

struct SuperblockBody {
    std::vector<uint64_t> summaryBuckets;    // file positions, bucket 1 first
    std::vector<uint64_t> nonSummaryBuckets; // the same for the buckets of non-summary values
    std::string currentRrvBucket;            // empty when the body holds none
};
// The header's fields, its signature unchecked (a copy never written is all zeros).
BlockHeader ReadSuperblockHeader(Bytes header);
// Whether the header's counts fit its body (pages of both kinds, bitmaps, the RRV bucket, in that
// order) and its RRV bucket size is none or rrvBucketSize, the file header's. The header has no
// checksum: a count damaged would read descriptors from wherever it points.
bool SuperblockFitsBody(Bytes header, size_t bodySize, uint16_t rrvBucketSize);
// The body's lists; rrvBucketSize is the file header's.
// readPage gives the bytes of a summary page kept in a block of its own, from its file position
// (raising FormatError when it cannot); the buckets of a page that cannot be read stand at 0.
SuperblockBody ReadSuperblockBody(Bytes header, Bytes body, uint16_t rrvBucketSize,
                                  const std::function<std::string(uint64_t position)>& readPage);

// The bucket descriptor block: the RRV buckets and the table of item names with their types.
// Its body: the RRV bucket descriptors, the name entries, four bytes, the names' text.
namespace descriptor_block {
constexpr uint16_t kSignature = 0x0001; // u16 at 0
constexpr size_t kCompression = 4;      // u16
constexpr size_t kSize = 6;             // u32: the body expanded
constexpr size_t kWriteCount = 10;      // u32
constexpr size_t kStoredSize = 14;      // u32: the whole block
constexpr size_t kModified = 18;        // TIMEDATE
constexpr size_t kNames = 26;           // u32: name entries
constexpr size_t kTextSize = 34;        // u32: the names' text
constexpr size_t kRrvBuckets = 38;      // u32: RRV bucket descriptors
constexpr size_t kHashSlots = 42;       // u32: the hash table's slots, after the text
constexpr size_t kChecksummed = 54;     // the header's bytes its checksum covers
constexpr size_t kHeaderChecksum = 54;  // u32: the XOR of their u32 words
constexpr size_t kHeaderSize = 66;
constexpr size_t kRrvDescriptor = 8; // u32 position / 256 (bit 0: not a data bucket), u32 first note id
constexpr uint32_t kNotData = 1;
constexpr size_t kNameEntry = 10; // u32 text offset, u16 length, u16 data type, u16 not known
constexpr size_t kTextGap = 4;    // between the entries and the text
} // namespace descriptor_block

struct RrvBucketRef {
    uint64_t position = 0;
    uint32_t firstId = 0;
    bool nonData = false;
};
struct NameEntry {
    std::string_view lmbcs; // the name as stored
    uint16_t type = 0;
};
struct DescriptorBody {
    std::vector<RrvBucketRef> rrvBuckets;
    std::vector<NameEntry> names;
};
// The header's fields, its signature unchecked.
BlockHeader ReadDescriptorHeader(Bytes header);
// Raises FormatError when the header's checksum does not match its bytes.
void CheckDescriptorHeader(Bytes header);
// Raises FormatError (naming what) when the body holds fewer entries than the header lists.
DescriptorBody ReadDescriptorBody(Bytes header, Bytes body, const std::string& what);

// An RRV bucket: entries of two words, one per note id from the first on, 4 apart.
namespace rrv_bucket {
constexpr uint16_t kSignature = 0x2006; // u16 at 0
constexpr size_t kFirstId = 6;          // u32
constexpr size_t kEntries = 32;
constexpr size_t kEntrySize = 8; // u32 position, u32 slot
constexpr uint32_t kIdStep = 4;
// An entry that names a slot: the position word has this bit, the summary bucket (from 1) in
// its low 24 bits, and the slot word the slot (from 1) in its low 11 bits. Else the position
// word is a file position / 256.
constexpr uint32_t kInBucket = 0x80000000u;
constexpr uint32_t kBucketMask = 0x00FFFFFFu;
constexpr uint32_t kSlotMask = 0x7FFu;
} // namespace rrv_bucket

// An RRV entry: free, deleted, a slot of a summary bucket, or a file position.
enum class EntryKind { Unused, Slot, FilePosition };
EntryKind KindOf(uint32_t position, uint32_t slot);

struct RrvEntry {
    uint32_t noteId = 0;
    uint32_t position = 0;
    uint32_t slot = 0;
};
// The entries of a bucket that are in use. Raises FormatError when it has no signature.
std::vector<RrvEntry> ReadRrvBucket(Bytes bucket);

// A summary bucket: note records from kRecords on, a slot table (u16 offset, u16 length, slot 1
// last) before a trailer. Each 512-byte sector has the low four bits of its byte at kStampedByte
// replaced by a stamp, the same in every sector of the bucket; the real bits are in the trailer,
// read as one little-endian number whose most significant four bits belong to sector 0 (a trailer
// of T bytes: sector k takes nibble 2T - 1 - k; a 63,488-byte bucket has 124 sectors and 128
// nibbles, the lowest four left over).
namespace summary_bucket {
constexpr uint16_t kSignature = 0x4202; // u16 at 0
constexpr size_t kSize = 6;             // u32
constexpr size_t kSlotCount = 44;       // u32
constexpr size_t kTrailerSize = 50;     // u32
constexpr size_t kHeadSize = 54;        // what tells the rest
constexpr size_t kRecords = 68;
constexpr size_t kSlotEntry = 4;
constexpr size_t kSectorSize = 512;
constexpr size_t kStampedByte = 0x42;
constexpr uint32_t kMinSize = 512;
constexpr uint32_t kMaxSize = 1u << 20;
} // namespace summary_bucket

struct BucketLayout {
    std::vector<std::pair<uint16_t, uint16_t>> slotTable; // offset, length; slot 1 first
    // Sectors whose stamp is not the bucket's: damaged (a sector zeroed, say), in order.
    std::vector<uint32_t> damagedSectors;
};
// Undoes the sector stamps of a whole bucket (as read) and reads its slot table. Raises
// FormatError when the slots do not fit the bucket.
BucketLayout UnstampSummaryBucket(std::string& bucket);

// A note record: its header, the item entries, then the summary values in item order.
namespace note_record {
constexpr uint16_t kSignature = 0x0004; // u16 at 0
constexpr size_t kSize = 2;             // u32
constexpr size_t kNoteId = 6;           // u32
constexpr size_t kUnid = 10;            // 16 bytes
constexpr size_t kStatus = 38;          // u16
constexpr size_t kClass = 40;           // u16
constexpr size_t kModified = 42;        // TIMEDATE: u32 time, u32 date
constexpr size_t kItemCount = 50;       // u16
constexpr size_t kNonSummaryId = 56;    // u32
constexpr size_t kNonSummarySize = 60;  // u32
constexpr size_t kCreated = 72;         // TIMEDATE
constexpr size_t kHeaderSize = 100;
constexpr size_t kStubSize = 64; // a record this small is a deletion stub
constexpr size_t kItemEntry = 8; // u16 name, u16 flags, u16 value size, u16 sequence
constexpr size_t kItemName = 0;
constexpr size_t kItemFlags = 2;
constexpr size_t kItemSize = 4;
// Status: the non-summary values follow in the record itself, the non-summary id their offset.
constexpr uint16_t kInlineNonSummary = 0x2000;
// A non-summary id with this bit names a slot of a non-summary bucket: the bucket (from 1) in the
// low 24 bits, the slot (from 1) in bits 24 to 30. Else it is a file position / 256.
constexpr uint32_t kNonSummaryInBucket = 0x80000000u;
constexpr uint32_t kNonSummaryBucketMask = 0x00FFFFFFu;
constexpr unsigned kNonSummarySlotShift = 24;
constexpr uint32_t kNonSummarySlotMask = 0x7Fu;
} // namespace note_record

// What a file position holds besides a note record: objects of the object store.
constexpr uint16_t kObjectSignatures[] = {0x0007, 0x001B};

// An object record of the object store, reached through the RRV table by the object's id: a
// header, then the object's stored bytes up to the record's length.
namespace object_record {
constexpr uint16_t kSignature = 0x0007;      // on-disk structure 43
constexpr uint16_t kSignatureOds52 = 0x001B; // 52 and later: 93 more header bytes
constexpr size_t kSize = 2;                  // u32: the record's length, header included
constexpr size_t kOwnerClass = 6;            // u16: the class of the note that owns it
constexpr size_t kHeaderSize = 22;
constexpr size_t kHeaderSizeOds52 = 115;
constexpr size_t kTagKind = 22; // u16, ODS 52+: 1 when a tag follows
constexpr size_t kTag = 24;     // 48 ASCII characters: the SHA-1 of the stored bytes, their length
constexpr size_t kTagSize = 48;
} // namespace object_record

// The FILEOBJECT a $FILE item holds (after its type word): the object descriptor, then the file's
// description and name.
namespace file_object {
constexpr size_t kObjectType = 0;   // u16: 0 a file (high bits are flags)
constexpr size_t kRrvId = 2;        // u32: the object's id
constexpr size_t kNameLength = 6;   // u16
constexpr size_t kHostType = 8;     // u16
constexpr size_t kCompression = 10; // u16: 0 none, 1 Huffman, 2 LZ1, 3 Huffman
constexpr size_t kFlags = 14;       // u16
constexpr size_t kSize = 16;        // u32: the file's size once decoded
constexpr size_t kCreated = 20;     // TIMEDATE
constexpr size_t kModified = 28;    // TIMEDATE
constexpr size_t kName = 36;
constexpr uint16_t kNone = 0, kHuffman = 1, kLz1 = 2, kHuffman2 = 3;
} // namespace file_object

// A block of a note's non-summary values at a file position: a header, then the values.
namespace nonsummary_block {
constexpr uint16_t kSignature = 0x0010; // u16 at 0
constexpr size_t kSize = 2;             // u32
constexpr size_t kHeaderSize = 68;
} // namespace nonsummary_block

// A view's built index: the $ViewContainer object lists its pages; page 0 holds 40-byte node
// headers (the collation tree's root, an empty tree, the note-id tree); a node's body lies in
// the page its header names, after older copies of it that are not wiped.
namespace view_index {
constexpr size_t kPageCount = 0x98; // u32, in the container object
constexpr size_t kPages = 0xA0;     // 12-byte entries: u32 position / 256, u16, u16 check, u32
constexpr size_t kPageEntry = 12;
constexpr uint16_t kSmallPage = 0x2000, kLargePage = 0x8000;
constexpr size_t kNibbles = 0x18; // an 8 KB page's true sector nibbles (see UnstampPage)
constexpr std::string_view kNodeHeader{"\xEE\xBB\x0D", 3};
constexpr size_t kNodeHeaderSize = 40;
constexpr size_t kNodeKind = 3; // 1 the note-id tree
constexpr uint8_t kNoteIdTree = 1;
constexpr size_t kNodeBodyPage = 8;
constexpr size_t kNodeDepth = 0x11; // 1: the root is a leaf
constexpr size_t kNodeCount = 0x1A;
constexpr size_t kFirstBody = 0x18;
constexpr size_t kNoteIdSlots = 0x12, kNoteIdSlot = 20; // a note-id body's slots (offset +1, length +5)
constexpr uint32_t kCategory = 0x80000000u;             // a category entry, no document
} // namespace view_index

// No structure of a database is larger; a size beyond it is damage, not data.
constexpr uint64_t kMaxStructure = 256u << 20;

// Where a position lies, as the error messages say it after the name of what lies there
// ("（位于 0x1A2B）", " at 0x1A2B").
inline std::string Where(uint64_t position) {
    return reason_text::At(Hex(position));
}

} // namespace nsf::disk
