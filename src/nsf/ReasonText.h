// Why the reader cannot read a file, a structure or a value, in the user's language, all in one
// place. Each text takes what varies in it: numbers, positions in hex, the names of structures
// (themselves from here) and the reasons nested in it. The texts come back as UTF-8, as
// FormatError carries them.
#pragma once

#include <cstdint>
#include <string>

namespace nsf::reason_text {

// The structures the reader reads, by name, for the texts below that name the one they concern.
std::string FileHeaderName();
std::string SuperblockName();
std::string DescriptorBlockName();
std::string SummaryPageName();
std::string RrvBucketName();
std::string SummaryBucketName();
std::string NoteName();
std::string NonSummaryBlockName();
std::string ObjectRecordName();
std::string ViewIndexPageName();
// Where a structure lies, written after its name: a file position in hex, or a slot of a
// non-summary bucket.
std::string At(const std::string& position);
std::string InNonSummarySlot(uint64_t slot, uint64_t bucket);
// A reason and the reason under it; two reasons in a row.
std::string Nested(const std::string& what, const std::string& reason);
std::string Also(const std::string& first, const std::string& next);
// Bytes: a read past the end of a structure.
std::string StructureEndsEarly(uint64_t count, uint64_t offset, uint64_t size);
// CX compressed data.
std::string CompressedEndsEarly();
std::string CompressedImpossibleLength();
std::string CompressedEmpty();
std::string CompressedUnknownMode(uint64_t mode);
std::string CompressedRefersBeforeStart();
std::string CompressedExpandsBeyond(uint64_t limit);
std::string CompressedSize(uint64_t size, uint64_t stated);
// The file, its header, and the blocks it lists (what is wrong with a block: its name goes before).
std::string BlockUnknownCompression(uint64_t method);
std::string BlockClaims(uint64_t size, uint64_t stored);
std::string BlockStoredSize(uint64_t size);
std::string PieceName(uint64_t number);
std::string PiecesExpandTo(uint64_t size, uint64_t stated);
std::string PieceDoesNotFit(uint64_t number, uint64_t count);
std::string PiecesEndBeforeTrailer(uint64_t end, uint64_t trailer);
std::string TrailerTimeDiffers();
std::string TrailerChecksum(const std::string& stated, const std::string& computed);
std::string HeaderChecksum();
std::string HeaderDoesNotFitBody();
std::string NoCurrentRrvBucket();
std::string BucketOutsideFile(const std::string& position);
std::string ReadBeyondEnd(const std::string& what, const std::string& position, uint64_t size, uint64_t fileSize);
std::string CannotRead(const std::string& what, const std::string& position, const std::string& error);
std::string FileTooShort(uint64_t size);
std::string NotADatabase();
// A structure's signature is missing.
std::string NoSignature();
std::string NoSuperblockRead();
std::string NoDescriptorBlockRead();
std::string NoSummaryPage(const std::string& position);
std::string ListsMoreThanHeld(const std::string& what);
std::string RrvBucketSizeInvalid(uint64_t size);
std::string RrvBucketNotRead(const std::string& where, const std::string& reason);
// Summary buckets and their slots.
std::string NoSummaryBucket(const std::string& position);
std::string SummaryBucketClaims(const std::string& where, uint64_t size);
std::string SummaryBucketNotRead(const std::string& where, const std::string& reason);
std::string MoreSlotsThanRoom();
std::string BucketNotListed(uint64_t bucket, uint64_t count);
std::string SlotMissing(uint64_t slot, uint64_t bucket);
std::string SlotEmpty(uint64_t slot, uint64_t bucket);
// Note records and where their values lie.
std::string NoNote(const std::string& position);
std::string NoteRecordNoSignature();
std::string NoteRecordSize(uint64_t size, uint64_t bytes);
std::string RecordOfOtherNote(const std::string& noteId);
std::string ItemsDoNotFit(uint64_t count);
// A reason about a bucket or slot, when the bucket is a non-summary one.
std::string NonSummary(const std::string& reason);
std::string NoNonSummaryBlock(const std::string& where);
std::string NonSummaryBlockClaims(const std::string& where, uint64_t size);
std::string ItemSizesDoNotAddUp();
std::string ItemSizesAmbiguous();
// Objects and the attachments they hold.
std::string ObjectNotInRrv(const std::string& objectId);
std::string ObjectNotAtPosition(const std::string& objectId);
std::string NoObjectRecord(const std::string& position);
std::string ObjectRecordClaims(const std::string& where, uint64_t size);
std::string Sha1Mismatch();
std::string ObjectHolds(uint64_t stored, uint64_t size);
std::string Lz1Claims(uint64_t size);
std::string Lz1NotDecoded(const std::string& reason);
std::string UnknownCompression(uint64_t method);
// Huffman coded attachments.
std::string HuffmanTreeInvalid(uint64_t size);
std::string HuffmanStreamTooShort(uint64_t size);
std::string HuffmanTreeNoNode();
std::string HuffmanTreeLoop();
std::string DecodesTo(uint64_t written, uint64_t size);
std::string DecodesToMore(uint64_t size);
std::string ChecksumMismatch();
std::string HuffmanNoEnd(uint64_t written);
// Values.
std::string UserNameNotPlain();
std::string TypeNotRead(const std::string& type);
std::string FileObjectNoName();
std::string FileObjectNameNotPlain();
std::string MimePartTooLarge();
std::string FormulaRecordDoesNotFit();
// The built index of a view.
std::string IndexNamesPage(uint64_t number, uint64_t count);
std::string IndexPageInvalid(uint64_t number, const std::string& where);
std::string NoteIdTreeLevels();
std::string NoteIdTreeBodyMissing(uint64_t count);
std::string NoNoteIdTree();

// What the reader tells beside what it reads: problems of the file, warnings of a note, items
// it cannot read, and the names of kinds of pictures.
std::string UncheckedOds(uint64_t ods);
std::string RrvNotesNotRead(const std::string& reason, const std::string& firstId);
std::string RrvTooManyNotes(const std::string& firstId);
std::string RenumberedRecord(const std::string& number);
std::string NameNotInTable(uint64_t number);
std::string SummaryFlagRepaired(const std::string& items);
std::string NonSummaryNotRead(const std::string& reason);
std::string OlderCopyRead(const std::string& damage, const std::string& what, uint64_t writeCount);
std::string SectorStampDiffers(uint64_t sector, const std::string& where);
std::string CompressedValueTooShort(uint64_t size);
std::string CompressedValueNotExpanded(const std::string& reason);
std::string Encrypted();
std::string OtherImageName();
std::string MetafileName();
std::string NotesBitmapName();
std::string PictureName();

} // namespace nsf::reason_text
