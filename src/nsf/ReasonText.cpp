#include "nsf/ReasonText.h"

#include <QCoreApplication>
#include <QString>

namespace nsf::reason_text {

namespace {
QString Text(const std::string& text) {
    return QString::fromStdString(text);
}
QString Number(uint64_t number) {
    return QString::number(static_cast<qulonglong>(number));
}
} // namespace

std::string FileHeaderName() {
    return QCoreApplication::translate("nsf_reason", "文件头").toStdString();
}

std::string SuperblockName() {
    return QCoreApplication::translate("nsf_reason", "超级块").toStdString();
}

std::string DescriptorBlockName() {
    return QCoreApplication::translate("nsf_reason", "桶描述符块").toStdString();
}

std::string SummaryPageName() {
    return QCoreApplication::translate("nsf_reason", "摘要桶描述符页").toStdString();
}

std::string RrvBucketName() {
    return QCoreApplication::translate("nsf_reason", "RRV 桶").toStdString();
}

std::string SummaryBucketName() {
    return QCoreApplication::translate("nsf_reason", "摘要桶").toStdString();
}

std::string NoteName() {
    return QCoreApplication::translate("nsf_reason", "记录").toStdString();
}

std::string NonSummaryBlockName() {
    return QCoreApplication::translate("nsf_reason", "非摘要块").toStdString();
}

std::string ObjectRecordName() {
    return QCoreApplication::translate("nsf_reason", "对象记录区").toStdString();
}

std::string ViewIndexPageName() {
    return QCoreApplication::translate("nsf_reason", "视图索引页").toStdString();
}

std::string At(const std::string& position) {
    return QCoreApplication::translate("nsf_reason", "（位于 %1）").arg(Text(position)).toStdString();
}

std::string InNonSummarySlot(uint64_t slot, uint64_t bucket) {
    return QCoreApplication::translate("nsf_reason", "（位于非摘要桶 %2 的槽 %1）")
        .arg(Number(slot), Number(bucket))
        .toStdString();
}

std::string Nested(const std::string& what, const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "%1：%2").arg(Text(what), Text(reason)).toStdString();
}

std::string Also(const std::string& first, const std::string& next) {
    return QCoreApplication::translate("nsf_reason", "%1；%2").arg(Text(first), Text(next)).toStdString();
}

std::string StructureEndsEarly(uint64_t count, uint64_t offset, uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "结构提前结束：偏移 %2 处的 %1 字节超出了全部 %3 字节")
        .arg(Number(count), Number(offset), Number(size))
        .toStdString();
}

std::string CompressedEndsEarly() {
    return QCoreApplication::translate("nsf_reason", "压缩数据提前结束").toStdString();
}

std::string CompressedImpossibleLength() {
    return QCoreApplication::translate("nsf_reason", "压缩数据中有不可能出现的长度码").toStdString();
}

std::string CompressedEmpty() {
    return QCoreApplication::translate("nsf_reason", "压缩数据为空").toStdString();
}

std::string CompressedUnknownMode(uint64_t mode) {
    return QCoreApplication::translate("nsf_reason", "压缩数据的模式 %1 未知").arg(Number(mode)).toStdString();
}

std::string CompressedRefersBeforeStart() {
    return QCoreApplication::translate("nsf_reason", "压缩数据引用了其起点之前的位置").toStdString();
}

std::string CompressedExpandsBeyond(uint64_t limit) {
    return QCoreApplication::translate("nsf_reason", "压缩数据展开后超过 %1 字节").arg(Number(limit)).toStdString();
}

std::string CompressedSize(uint64_t size, uint64_t stated) {
    return QCoreApplication::translate("nsf_reason", "压缩数据展开为 %1 字节，应为 %2 字节")
        .arg(Number(size), Number(stated))
        .toStdString();
}

std::string BlockUnknownCompression(uint64_t method) {
    return QCoreApplication::translate("nsf_reason", "以本程序不认识的方式压缩（方法 %1）")
        .arg(Number(method))
        .toStdString();
}

std::string BlockClaims(uint64_t size, uint64_t stored) {
    return QCoreApplication::translate("nsf_reason", "声称由 %2 字节展开为 %1 字节")
        .arg(Number(size), Number(stored))
        .toStdString();
}

std::string BlockStoredSize(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "存储大小 %1 字节不可能").arg(Number(size)).toStdString();
}

std::string PieceName(uint64_t number) {
    return QCoreApplication::translate("nsf_reason", "第 %1 段").arg(Number(number)).toStdString();
}

std::string PiecesExpandTo(uint64_t size, uint64_t stated) {
    return QCoreApplication::translate("nsf_reason", "各段展开为 %1 字节，块头声明 %2 字节")
        .arg(Number(size), Number(stated))
        .toStdString();
}

std::string PieceDoesNotFit(uint64_t number, uint64_t count) {
    return QCoreApplication::translate("nsf_reason", "第 %1 段（%2 字节）超出了块的范围")
        .arg(Number(number), Number(count))
        .toStdString();
}

std::string PiecesEndBeforeTrailer(uint64_t end, uint64_t trailer) {
    return QCoreApplication::translate("nsf_reason", "各段结束于偏移 %1，而尾部始于偏移 %2")
        .arg(Number(end), Number(trailer))
        .toStdString();
}

std::string TrailerTimeDiffers() {
    return QCoreApplication::translate("nsf_reason", "尾部的时间与块头的不同").toStdString();
}

std::string TrailerChecksum(const std::string& stated, const std::string& computed) {
    return QCoreApplication::translate("nsf_reason", "尾部的校验和 %1 与各段的 %2 不符")
        .arg(Text(stated), Text(computed))
        .toStdString();
}

std::string HeaderDoesNotFitBody() {
    return QCoreApplication::translate("nsf_reason", "块头所列的内容与块体不符").toStdString();
}

std::string NoCurrentRrvBucket() {
    return QCoreApplication::translate("nsf_reason", "块体中没有它所声明的当前 RRV 桶").toStdString();
}

std::string HeaderChecksum() {
    return QCoreApplication::translate("nsf_reason", "块头的校验和不符").toStdString();
}

std::string BucketOutsideFile(const std::string& position) {
    return QCoreApplication::translate("nsf_reason", "所列的桶位于文件之外（%1）").arg(Text(position)).toStdString();
}

std::string ReadBeyondEnd(const std::string& what, const std::string& position, uint64_t size, uint64_t fileSize) {
    return QCoreApplication::translate("nsf_reason", "%1（位于 %2，%3 字节）超出了文件末尾（文件共 %4 字节）")
        .arg(Text(what), Text(position), Number(size), Number(fileSize))
        .toStdString();
}

std::string CannotRead(const std::string& what, const std::string& position, const std::string& error) {
    return QCoreApplication::translate("nsf_reason", "无法读取%1（位于 %2）：%3")
        .arg(Text(what), Text(position), Text(error))
        .toStdString();
}

std::string FileTooShort(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "文件太短，不可能是数据库（%1 字节）")
        .arg(Number(size))
        .toStdString();
}

std::string NotADatabase() {
    return QCoreApplication::translate("nsf_reason", "文件不是 Domino 数据库（没有数据库签名）").toStdString();
}

std::string NoSignature() {
    return QCoreApplication::translate("nsf_reason", "没有签名").toStdString();
}

std::string NoSuperblockRead() {
    return QCoreApplication::translate("nsf_reason", "没有可以读取的超级块").toStdString();
}

std::string NoDescriptorBlockRead() {
    return QCoreApplication::translate("nsf_reason", "没有可以读取的桶描述符块").toStdString();
}

std::string NoSummaryPage(const std::string& position) {
    return QCoreApplication::translate("nsf_reason", "%1 处没有摘要桶描述符页").arg(Text(position)).toStdString();
}

std::string ListsMoreThanHeld(const std::string& what) {
    return QCoreApplication::translate("nsf_reason", "%1列出的桶和名称多于其所容纳的").arg(Text(what)).toStdString();
}

std::string RrvBucketSizeInvalid(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "文件头中的 RRV 桶大小（%1）无效").arg(Number(size)).toStdString();
}

std::string RrvBucketNotRead(const std::string& where, const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "RRV 桶%1：%2").arg(Text(where), Text(reason)).toStdString();
}

std::string NoSummaryBucket(const std::string& position) {
    return QCoreApplication::translate("nsf_reason", "%1 处没有摘要桶").arg(Text(position)).toStdString();
}

std::string SummaryBucketClaims(const std::string& where, uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "摘要桶%1声称有 %2 字节")
        .arg(Text(where), Number(size))
        .toStdString();
}

std::string SummaryBucketNotRead(const std::string& where, const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "摘要桶%1：%2").arg(Text(where), Text(reason)).toStdString();
}

std::string MoreSlotsThanRoom() {
    return QCoreApplication::translate("nsf_reason", "槽的数量超出了可用空间").toStdString();
}

std::string BucketNotListed(uint64_t bucket, uint64_t count) {
    return QCoreApplication::translate("nsf_reason", "桶 %1 不在 %2 个桶的列表中")
        .arg(Number(bucket), Number(count))
        .toStdString();
}

std::string SlotMissing(uint64_t slot, uint64_t bucket) {
    return QCoreApplication::translate("nsf_reason", "桶 %2 中没有槽 %1")
        .arg(Number(slot), Number(bucket))
        .toStdString();
}

std::string SlotEmpty(uint64_t slot, uint64_t bucket) {
    return QCoreApplication::translate("nsf_reason", "桶 %2 的槽 %1 为空")
        .arg(Number(slot), Number(bucket))
        .toStdString();
}

std::string NoNote(const std::string& position) {
    return QCoreApplication::translate("nsf_reason", "%1 处没有记录").arg(Text(position)).toStdString();
}

std::string NoteRecordNoSignature() {
    return QCoreApplication::translate("nsf_reason", "记录区没有签名").toStdString();
}

std::string NoteRecordSize(uint64_t size, uint64_t bytes) {
    return QCoreApplication::translate("nsf_reason", "记录区的大小（%1）与其 %2 字节不符")
        .arg(Number(size), Number(bytes))
        .toStdString();
}

std::string RecordOfOtherNote(const std::string& noteId) {
    return QCoreApplication::translate("nsf_reason", "该处的记录区属于记录 %1").arg(Text(noteId)).toStdString();
}

std::string ItemsDoNotFit(uint64_t count) {
    return QCoreApplication::translate("nsf_reason", "记录的 %1 个项超出了其记录区").arg(Number(count)).toStdString();
}

std::string NonSummary(const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "非摘要桶：%1").arg(Text(reason)).toStdString();
}

std::string NoNonSummaryBlock(const std::string& where) {
    return QCoreApplication::translate("nsf_reason", "没有非摘要块%1").arg(Text(where)).toStdString();
}

std::string NonSummaryBlockClaims(const std::string& where, uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "非摘要块%1声称有 %2 字节")
        .arg(Text(where), Number(size))
        .toStdString();
}

std::string ItemSizesDoNotAddUp() {
    return QCoreApplication::translate("nsf_reason", "各项的大小与记录区不符：不保留任何值").toStdString();
}

std::string ItemSizesAmbiguous() {
    return QCoreApplication::translate("nsf_reason", "各项的大小与记录区不符，且有不止一种读法能使之相符：不保留任何值")
        .toStdString();
}

std::string ObjectNotInRrv(const std::string& objectId) {
    return QCoreApplication::translate("nsf_reason", "其对象 %1 不在任何 RRV 桶中").arg(Text(objectId)).toStdString();
}

std::string ObjectNotAtPosition(const std::string& objectId) {
    return QCoreApplication::translate("nsf_reason", "其对象 %1 不在文件位置上").arg(Text(objectId)).toStdString();
}

std::string NoObjectRecord(const std::string& position) {
    return QCoreApplication::translate("nsf_reason", "%1 处没有对象记录区").arg(Text(position)).toStdString();
}

std::string ObjectRecordClaims(const std::string& where, uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "对象记录区%1声称有 %2 字节")
        .arg(Text(where), Number(size))
        .toStdString();
}

std::string Sha1Mismatch() {
    return QCoreApplication::translate("nsf_reason", "其存储的字节与记录区的 SHA-1 标记不符").toStdString();
}

std::string ObjectHolds(uint64_t stored, uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "其对象有 %1 字节，而不是 %2 字节")
        .arg(Number(stored), Number(size))
        .toStdString();
}

std::string Lz1Claims(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "以 LZ1 压缩，声称有 %1 字节").arg(Number(size)).toStdString();
}

std::string Lz1NotDecoded(const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "以 LZ1 压缩，本程序无法解码（%1）")
        .arg(Text(reason))
        .toStdString();
}

std::string UnknownCompression(uint64_t method) {
    return QCoreApplication::translate("nsf_reason", "以本程序不认识的方式压缩（方法 %1）")
        .arg(Number(method))
        .toStdString();
}

std::string HuffmanTreeInvalid(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "其 Huffman 编码树（%1 字节）无效")
        .arg(Number(size))
        .toStdString();
}

std::string HuffmanStreamTooShort(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "其 Huffman 数据流太短，解不出 %1 字节")
        .arg(Number(size))
        .toStdString();
}

std::string HuffmanTreeNoNode() {
    return QCoreApplication::translate("nsf_reason", "其 Huffman 编码树指向不存在的节点").toStdString();
}

std::string HuffmanTreeLoop() {
    return QCoreApplication::translate("nsf_reason", "其 Huffman 编码树中有环").toStdString();
}

std::string DecodesTo(uint64_t written, uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "解码得到 %1 字节，而不是 %2 字节")
        .arg(Number(written), Number(size))
        .toStdString();
}

std::string DecodesToMore(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "解码得到的内容超过 %1 字节").arg(Number(size)).toStdString();
}

std::string ChecksumMismatch() {
    return QCoreApplication::translate("nsf_reason", "其字节之和与校验和不符").toStdString();
}

std::string HuffmanNoEnd(uint64_t written) {
    return QCoreApplication::translate("nsf_reason", "其 Huffman 数据流在结束码之前就结束了（已解码 %1 字节）")
        .arg(Number(written))
        .toStdString();
}

std::string UserNameNotPlain() {
    return QCoreApplication::translate("nsf_reason", "用户名不是纯文本：布局不同").toStdString();
}

std::string TypeNotRead(const std::string& type) {
    return QCoreApplication::translate("nsf_reason", "不读取 %1 类型的值").arg(Text(type)).toStdString();
}

std::string FileObjectNoName() {
    return QCoreApplication::translate("nsf_reason", "文件对象没有名称").toStdString();
}

std::string FileObjectNameNotPlain() {
    return QCoreApplication::translate("nsf_reason", "文件对象的名称不是纯文本：布局不同").toStdString();
}

std::string MimePartTooLarge() {
    return QCoreApplication::translate("nsf_reason", "MIME 部分的边界和头部大于该部分本身").toStdString();
}

std::string FormulaRecordDoesNotFit() {
    return QCoreApplication::translate("nsf_reason", "编译后公式中的一条记录超出了公式").toStdString();
}

std::string IndexNamesPage(uint64_t number, uint64_t count) {
    return QCoreApplication::translate("nsf_reason", "其索引指向第 %1 页，而索引共 %2 页")
        .arg(Number(number), Number(count))
        .toStdString();
}

std::string IndexPageInvalid(uint64_t number, const std::string& where) {
    return QCoreApplication::translate("nsf_reason", "其索引的第 %1 页%2无效")
        .arg(Number(number), Text(where))
        .toStdString();
}

std::string NoteIdTreeLevels() {
    return QCoreApplication::translate("nsf_reason", "其记录 ID 树不止一层，本程序不读取这样的树").toStdString();
}

std::string NoteIdTreeBodyMissing(uint64_t count) {
    return QCoreApplication::translate("nsf_reason", "找不到其记录 ID 树的主体（%1 个条目）")
        .arg(Number(count))
        .toStdString();
}

std::string NoNoteIdTree() {
    return QCoreApplication::translate("nsf_reason", "其索引没有记录 ID 树").toStdString();
}

std::string UncheckedOds(uint64_t ods) {
    return QCoreApplication::translate("nsf_reason", "磁盘结构版本 %1 是本程序未经检验的版本：读出的内容可能不完整")
        .arg(Number(ods))
        .toStdString();
}

std::string RrvNotesNotRead(const std::string& reason, const std::string& firstId) {
    return QCoreApplication::translate("nsf_reason", "%1：它所列的、从 %2 起的记录未读取")
        .arg(Text(reason), Text(firstId))
        .toStdString();
}

std::string RrvTooManyNotes(const std::string& firstId) {
    return QCoreApplication::translate("nsf_reason", "RRV 表所列的记录多于文件能容纳的：从 %1 起的记录未读取")
        .arg(Text(firstId))
        .toStdString();
}

std::string RenumberedRecord(const std::string& number) {
    return QCoreApplication::translate("nsf_reason", "其记录区带有编号 %1，没有其他记录使用这个编号")
        .arg(Text(number))
        .toStdString();
}

std::string NameNotInTable(uint64_t number) {
    return QCoreApplication::translate("nsf_reason", "其名称（编号 %1）不在名称表中").arg(Number(number)).toStdString();
}

std::string SummaryFlagRepaired(const std::string& items) {
    return QCoreApplication::translate("nsf_reason", "%1 的摘要标志与其项的大小不符：按大小读取")
        .arg(Text(items))
        .toStdString();
}

std::string NonSummaryNotRead(const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "非摘要值未读取：%1").arg(Text(reason)).toStdString();
}

std::string OlderCopyRead(const std::string& damage, const std::string& what, uint64_t writeCount) {
    return QCoreApplication::translate("nsf_reason", "较新的副本已损坏（%1）：读取的是%2（写入次数 %3）")
        .arg(Text(damage), Text(what), Number(writeCount))
        .toStdString();
}

std::string SectorStampDiffers(uint64_t sector, const std::string& where) {
    return QCoreApplication::translate("nsf_reason", "它所在的桶%2的第 %1 个扇区带有与桶不同的标记（该扇区已损坏）")
        .arg(Number(sector), Text(where))
        .toStdString();
}

std::string CompressedValueTooShort(uint64_t size) {
    return QCoreApplication::translate("nsf_reason", "压缩值只有 %1 字节").arg(Number(size)).toStdString();
}

std::string CompressedValueNotExpanded(const std::string& reason) {
    return QCoreApplication::translate("nsf_reason", "压缩值未能展开：%1").arg(Text(reason)).toStdString();
}

std::string Encrypted() {
    return QCoreApplication::translate("nsf_reason", "它已加密").toStdString();
}

std::string OtherImageName() {
    return QCoreApplication::translate("nsf_reason", "图像").toStdString();
}

std::string MetafileName() {
    return QCoreApplication::translate("nsf_reason", "Windows 图元文件").toStdString();
}

std::string NotesBitmapName() {
    return QCoreApplication::translate("nsf_reason", "Notes 位图").toStdString();
}

std::string PictureName() {
    return QCoreApplication::translate("nsf_reason", "图片").toStdString();
}

} // namespace nsf::reason_text
