// The export end to end on the local store, with the workbook read back by xlrd; and the
// picture scan of the DXL text.
#include "export/SpreadsheetTestDoubles.h"
#include "support/RecordingProgress.h"
#include "support/RecordingPrompter.h"
#include "support/StoreInstallation.h"

#include "access/Domino_TLB.h"
#include "access/VariantText.h"
#include "export/ExportToExcel.h"
#include "export/FileQueue.h"
#include "export/RichTextPictures.h"
#include "export/SafePath.h"
#include "platform/PortableRegistry.h"
#include "store/Build.h"
#include "store/RichText.h"
#include "xls/Workbook.h"
#include "xls/XlsSpreadsheetAutomation.h"
#include "xls/XlsxWorkbook.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace store::build;
using spreadsheettest::SpreadsheetCall;

namespace {

const QString kDone = QStringLiteral("您好，数据导出完成，导出的附件文档存放在Excel文件的同一目录下，文件夹名为：");

// The workbook as xlrd (.xls) or openpyxl (.xlsx) reads it: one object per sheet with "rows",
// "widths" and "text".
QJsonArray ReadWorkbook(const QString& path) {
    QProcess reader;
    reader.start("/usr/bin/python3", {path.endsWith(".xlsx") ? VERDANIX_READ_XLSX : VERDANIX_READ_XLS, path});
    reader.waitForFinished(120000);
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
}

QStringList Row(const QJsonArray& sheets, int sheet, int row) {
    QStringList texts;
    for (const auto& cell : sheets[sheet].toObject()["rows"].toArray()[row].toArray())
        texts << cell.toString();
    return texts;
}

QStringList FilesBelow(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

// A picture payload of size bytes.
std::string Picture(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i * 7);
    return bytes;
}

struct Export : ::testing::Test {
    StoreInstallation install;
    MemoryRegistry registry;
    PortableComClassFactory factory{registry};
    TNotesSession session{factory};
    TNotesDatabase database;
    XlsSpreadsheetAutomation xls;
    RecordingProgress progress;
    RecordingPrompter prompter;
    QTemporaryDir out;

    void SetUp() override {
        store::RegisterLocalStore(factory);
        install.Register(registry);
        session.Initialize(u"");
    }
    ExportResult Run(const QString& file, const QString& view, int32_t docCount,
                     ISpreadsheetAutomation* sheet = nullptr, WorkbookFormat format = WorkbookFormat::Xls) {
        database.ConnectTo(session.GetDatabase(u"", u"db.nsf", false));
        ExportResult result = ExportToExcel({session, database, sheet ? *sheet : xls, progress, prompter, {}}, file,
                                            view, docCount, format);
        EXPECT_FALSE(progress.open) << "the progress window is closed on every path";
        return result;
    }
    QString Out(const QString& name) const { return out.filePath(name); }
};

} // namespace

TEST_F(Export, RowsHeaderWidthsAndTextFormat) {
    const auto unids = install.MakeDatabase(
        "db.nsf", {View(u"All", u"", u"SELECT @All", {Column(u"Subject", u"Subject")})},
        {Note(u"M", {TextItem(u"Subject", {u"第一"}), TextItem(u"Body", {u"正文"}), TextItem(u"123", {u"x"})}),
         Note(u"M", {TextItem(u"Subject", {u"second"}), NumberItem(u"Body", {2.5, 7}), DateItem(u"123", {45000, 0.5})}),
         Note(u"M", {TextItem(u"Subject", {u"", u"红色", u"蓝色"}, 1074)})});
    Run(Out("list"), "All", 3);
    EXPECT_EQ(prompter.texts(), QStringList{kDone + QDir::toNativeSeparators(Out("All附件"))});
    const QJsonArray book = ReadWorkbook(Out("list.xls"));
    ASSERT_EQ(book.size(), 1);
    EXPECT_EQ(Row(book, 0, 0), QStringList({"文档ID", "Form", "Subject", "Body", "123"}));
    EXPECT_EQ(Row(book, 0, 1), QStringList({QString::fromStdU16String(unids[0]), "M", "第一", "正文", "x"}));
    EXPECT_EQ(Row(book, 0, 2).mid(2),
              QStringList({"second", VariantToText(2.5) + ", 7",
                           VariantToText(OleDate{45000}) + ", " + VariantToText(OleDate{0.5})}));
    EXPECT_EQ(Row(book, 0, 3).mid(2), QStringList({", 红色, 蓝色", "", ""}))
        << "every value, an empty first one too; missing fields empty";
    const QJsonObject widths = book[0].toObject()["widths"].toObject();
    for (const auto& [column, width] : {std::pair{"0", 40}, {"2", 17}, {"3", 14}})
        EXPECT_EQ(widths[column].toInt(), xls::Workbook::ColumnWidthUnits(width)) << column;
    EXPECT_EQ(book[0].toObject()["text"].toArray(), QJsonArray({QJsonArray({0, 4})}))
        << "only the integer-looking header";
    EXPECT_EQ(progress.texts.last(), "正在导出数据到list.xls...");
    EXPECT_TRUE(progress.texts.contains("正在导出数据到list.xls...3/3"));
}

TEST_F(Export, AttachmentsEmbeddedObjectsAndPicturesGoToTheDocumentsFolder) {
    store::RichTextBuilder body;
    body.addParagraph(u"图文");
    body.addPicture("jpeg", Picture(3000, 1), 10, 10);
    body.addPicture("gif", Picture(100, 2), 10, 10); // too small to keep
    body.addPicture("gif", Picture(3000, 3), 10, 10);
    body.addObjectRef(u"plan.doc", u"Word.Document.8");
    body.addObjectRef(u"sheet.xls", u"Excel.Sheet.8");
    store::NoteData rich = Note(u"M", {TextItem(u"Subject", {u"a"}), RichItem(u"Body", body.fragment())});
    rich.files = {FileObject(u"plan.doc", "P", store::file_kind::kObject, u"Word.Document.8"),
                  FileObject(u"sheet.xls", "S", store::file_kind::kObject, u"Excel.Sheet.8"),
                  FileObject(u"..\\..\\x", "1"),
                  FileObject(u"/etc/x", "2"),
                  FileObject(u"C:\\x", "3"),
                  FileObject(u"a?b", "4"),
                  FileObject(u"a*b", "5"),
                  FileObject(u"RTF域图片0.gif", "6")};
    const auto unids = install.MakeDatabase("db.nsf", {View(u"Sales\\2024", u"", u"SELECT @All")}, {std::move(rich)});
    Run(Out("book.xls"), "Sales\\2024", 1);
    const QString folder = Out("Sales/2024附件");
    EXPECT_EQ(prompter.texts(), QStringList{kDone + QDir::toNativeSeparators(folder)});
    const QString unid = QString::fromStdU16String(unids[0]);
    const auto sorted = [](QStringList list) {
        list.sort();
        return list;
    };
    EXPECT_EQ(FilesBelow(out.path()),
              sorted({"Sales/2024附件/" + unid + "/RTF域图片0 (2).gif", "Sales/2024附件/" + unid + "/RTF域图片0.gif",
                      "Sales/2024附件/" + unid + "/RTF域图片1.jpg", "Sales/2024附件/" + unid + "/.._.._x",
                      "Sales/2024附件/" + unid + "/_etc_x", "Sales/2024附件/" + unid + "/a_b",
                      "Sales/2024附件/" + unid + "/a_b (2)", "Sales/2024附件/" + unid + "/C__x",
                      "Sales/2024附件/" + unid + "/plan.doc", "Sales/2024附件/" + unid + "/sheet.xls", "book.xls"}));
    QFile gif(folder + "/" + unid + "/RTF域图片0.gif");
    ASSERT_TRUE(gif.open(QIODevice::ReadOnly));
    EXPECT_EQ(gif.readAll(), QByteArray::fromStdString(Picture(3000, 3))) << "exactly the picture, nothing after it";
    QFile sheet(folder + "/" + unid + "/sheet.xls");
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
    EXPECT_EQ(sheet.readAll(), "S");
    const QJsonArray book = ReadWorkbook(Out("book.xls"));
    const auto bodyColumn = Row(book, 0, 0).indexOf("Body");
    EXPECT_EQ(Row(book, 0, 1).value(bodyColumn).count("图文"), 1) << "the formatted text once";
}

TEST_F(Export, CleanedAndRepeatedNamesNeverTakeANameThatNeededNoCleaning) {
    store::NoteData note = Note(u"M", {TextItem(u"A", {u"a"})});
    note.files = {FileObject(u"a/b.txt", "slash"),  FileObject(u"a_b.txt", "plain"),
                  FileObject(u"a:b?.txt", "colon"), FileObject(u"a_b_.txt", "plain2"),
                  FileObject(u"same.txt", "first"), FileObject(u"same.txt", "second")};
    // A document whose only file is an embedded object has no attachment names: nothing is missing.
    store::RichTextBuilder body;
    body.addObjectRef(u"plan.doc", u"Word.Document.8");
    store::NoteData objectOnly = Note(u"M", {RichItem(u"Body", body.fragment())});
    objectOnly.files = {FileObject(u"plan.doc", "P", store::file_kind::kObject, u"Word.Document.8")};
    const auto unids =
        install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {std::move(note), std::move(objectOnly)});
    const ExportResult result = Run(Out("names"), "V", 2);
    EXPECT_TRUE(result.completed && result.missing.empty()) << result.missing.size();
    const QString folder = Out("V附件/" + QString::fromStdU16String(unids[0]) + "/");
    const auto content = [&](const QString& name) {
        QFile file(folder + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    };
    EXPECT_EQ(content("a_b.txt"), "plain");
    EXPECT_EQ(content("a_b_.txt"), "plain2");
    EXPECT_EQ(content("a_b (2).txt"), "slash");
    EXPECT_EQ(content("a_b_ (2).txt"), "colon");
    EXPECT_EQ(content("same.txt"), "first");
    EXPECT_EQ(content("same (2).txt"), "second") << "two attachments of one name both reach the folder";
}

TEST_F(Export, FilesThatCannotBeSavedAreCountedAndListed) {
    store::RichTextBuilder body;
    body.addPicture("gif", Picture(3000, 3), 10, 10);
    body.addObjectRef(u"plan.doc", u"Word.Document.8");
    store::NoteData blocked = Note(u"M", {RichItem(u"Body", body.fragment())});
    blocked.files = {FileObject(u"a.txt", "A"), FileObject(u"plan.doc", "P", store::file_kind::kObject)};
    store::NoteData fine = Note(u"M", {RichItem(u"Body", store::RichTextBuilder().fragment())});
    fine.files = {FileObject(u"b.txt", "B")};
    const auto unids =
        install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {std::move(blocked), std::move(fine)});
    // A plain file stands where the first document's folder must go.
    QDir().mkpath(Out("V附件"));
    QFile stand(Out("V附件/" + QString::fromStdU16String(unids[0])));
    ASSERT_TRUE(stand.open(QIODevice::WriteOnly));
    stand.close();

    const ExportResult result = Run(Out("blocked"), "V", 2);
    EXPECT_TRUE(result.completed);
    ASSERT_EQ(result.missing.size(), 3u) << "the attachment, the object and the picture";
    EXPECT_EQ(result.missingList, Out("blocked_未保存的文件.txt"));
    EXPECT_EQ(prompter.texts(),
              QStringList{kDone + QDir::toNativeSeparators(Out("V附件")) + "\n有3个文件未能保存，清单见：" +
                          QDir::toNativeSeparators(result.missingList)});
    QFile list(result.missingList);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(list.readAll().mid(3)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    QStringList named;
    for (const QString& line : lines.mid(1)) {
        EXPECT_TRUE(line.startsWith(QString::fromStdU16String(unids[0]) + "\t")) << line.toStdString();
        named << line.section('\t', 1, 1);
    }
    EXPECT_EQ(named, QStringList({"RTF域图片0.gif", "a.txt", "plan.doc"})) << "in the order the export met them";
    EXPECT_TRUE(QFile::exists(Out("V附件/" + QString::fromStdU16String(unids[1]) + "/b.txt")))
        << "the export went on with the next document";
}

TEST_F(Export, AnAttachmentShownInRichTextIsOneFileAndUnreadableCellsAreListed) {
    store::RichTextBuilder body;
    body.addParagraph(u"见附件");
    body.addAttachmentRef(u"report.csv");
    body.addObjectRef(u"plan.doc", u"Word.Document.8");
    store::NoteData note = Note(u"M", {RichItem(u"Body", body.fragment()), RichItem(u"Broken", "<par>unclosed")});
    note.files = {FileObject(u"report.csv", "R"), FileObject(u"plan.doc", "P", store::file_kind::kObject)};
    const auto unids = install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {std::move(note)});
    const ExportResult result = Run(Out("shown"), "V", 1);
    const QString unid = QString::fromStdU16String(unids[0]);
    EXPECT_EQ(FilesBelow(Out("V附件")), QStringList({unid + "/plan.doc", unid + "/report.csv"}))
        << "the attachment the rich text shows is the one the attachment step wrote";
    // The broken rich text also keeps the document's pictures from being read: that is a file.
    ASSERT_EQ(result.missing.size(), 2u);
    EXPECT_EQ(result.missing[0].fileName, "RTF域图片*");
    EXPECT_TRUE(result.missing[1].cell);
    EXPECT_EQ(result.missing[1].fileName, "Broken");
    EXPECT_EQ(prompter.texts(), QStringList{kDone + QDir::toNativeSeparators(Out("V附件")) +
                                            "\n有1个文件未能保存，有1个单元格的内容未能读取，清单见：" +
                                            QDir::toNativeSeparators(result.missingList)});
    QFile list(result.missingList);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(list.readAll()).contains(unid + "\t域：Broken\t"));
}

TEST_F(Export, WhenNoFileCanBeSavedTheMessageSaysSoInChinese) {
    store::NoteData note = Note(u"M", {TextItem(u"A", {u"a"})});
    note.files = {FileObject(u"a.txt", "A"), FileObject(u"b.txt", "B")};
    const auto unids = install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {std::move(note)});
    QFile stand(Out("V附件")); // a file where the attachment folder must go
    ASSERT_TRUE(stand.open(QIODevice::WriteOnly));
    stand.close();
    const ExportResult result = Run(Out("none"), "V", 1);
    ASSERT_EQ(result.missing.size(), 2u) << "each file once";
    for (const MissingFile& file : result.missing)
        EXPECT_EQ(file.reason, "无法创建文档的文件夹：路径中有一级是文件而不是文件夹");
    EXPECT_EQ(prompter.texts(),
              QStringList{"您好，数据导出完成，Excel文件为：" + QDir::toNativeSeparators(Out("none.xls")) +
                          "\n附件文档一个也未能保存（共2个文件），清单见：" +
                          QDir::toNativeSeparators(result.missingList)});
}

TEST_F(Export, AWorkbookThatCannotBeSavedIsToldInChinese) {
    install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {Note(u"M", {TextItem(u"A", {u"a"})})});
    const ExportResult result = Run(Out("gone/book"), "V", 1);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(prompter.texts(), QStringList{"Excel文件未能保存：" + QDir::toNativeSeparators(Out("gone/book.xls")) +
                                            "\n原因：文件或文件夹不存在"});
}

TEST_F(Export, FilesInAReadOnlyFolderAreCounted) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    store::NoteData note = Note(u"M", {TextItem(u"Long", {std::u16string(40000, u'x')})});
    note.files = {FileObject(u"a.txt", "A")};
    const auto unids = install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {std::move(note)});
    const QString folder = Out("V附件/" + QString::fromStdU16String(unids[0]));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    ExportResult result = Run(Out("readonly"), "V", 1);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(result.completed);
    ASSERT_EQ(result.missing.size(), 2u) << "the attachment and the long text's file";
    EXPECT_EQ(result.missing[0].reason, "没有权限");
    EXPECT_EQ(result.missing[1].reason, "没有权限");
    // A read-only attachment folder: the document's folder cannot be made, and that is the cause.
    QDir(folder).removeRecursively();
    QFile::setPermissions(Out("V附件"), QFile::ReadOwner | QFile::ExeOwner);
    result = Run(Out("readonly2"), "V", 1);
    QFile::setPermissions(Out("V附件"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(result.missing.size(), 2u);
    EXPECT_EQ(result.missing[0].reason, "无法创建文档的文件夹：没有权限");
}

TEST_F(Export, FieldsPastTheLastColumnGoOnInFurtherSheets) {
    std::vector<store::ItemData> items;
    for (int i = 0; i < 260; ++i)
        items.push_back(TextItem(u"F" + QString::number(i).toStdU16String(), {QString::number(i).toStdU16String()}));
    const auto unids =
        install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {Note(u"M", items), Note(u"M", items)});
    EXPECT_TRUE(Run(Out("wide"), "V", 2).completed);
    const QJsonArray book = ReadWorkbook(Out("wide.xls"));
    ASSERT_EQ(book.size(), 2);
    EXPECT_EQ(book[0].toObject()["name"].toString(), "域1-255");
    EXPECT_EQ(book[1].toObject()["name"].toString(), "域256-261") << "Form and 260 fields";
    EXPECT_EQ(Row(book, 0, 0).size(), 256);
    EXPECT_EQ(Row(book, 1, 0), QStringList({"文档ID", "F254", "F255", "F256", "F257", "F258", "F259"}));
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(Row(book, 1, r),
                  QStringList({QString::fromStdU16String(unids[r - 1]), "254", "255", "256", "257", "258", "259"}));
        EXPECT_EQ(Row(book, 0, r).value(0), QString::fromStdU16String(unids[r - 1]));
    }
}

TEST_F(Export, EarlyReturnsAndTheirMessages) {
    install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, {Note(u"M", {TextItem(u"A", {u"a"})})});
    spreadsheettest::FailingSpreadsheetAutomation none;
    QFile existing(Out("there.XLS"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    Run(" \t", "V", 1, &none);
    Run(Out("   "), "V", 1, &none); // a dialog gives its folder with the blanks typed
    Run(Out("there.XLS"), "V", 0, &none);
    Run(Out("empty"), "V", 0, &none);
    Run(Out("noview"), "", 1, &none);
    Run(Out("nosheet"), "V", 1, &none);
    EXPECT_EQ(prompter.texts(), QStringList({Out("there.XLS") + "文件已存在!", "当前没有可导出的内容",
                                             "请确认您电脑上是否安装了EXCEL！"}));
    EXPECT_EQ(none.creations, 1);
    EXPECT_EQ(progress.opened, 0);
    EXPECT_EQ(FilesBelow(out.path()), QStringList{"there.XLS"});
    EXPECT_EQ(WorkbookPath("C:\\out\\list.xlsx"), "C:\\out\\list.xlsx") << "a name ending in .xlsx keeps it";
    EXPECT_EQ(WorkbookPath("C:\\out\\list", WorkbookFormat::Xlsx), "C:\\out\\list.xlsx");
    EXPECT_EQ(WorkbookPath("C:\\out\\list.XLS", WorkbookFormat::Xlsx), "C:\\out\\list.XLS");
    // The window's folder has a level for each separator; one named as a workbook is has none.
    EXPECT_EQ(AttachmentFolder("/o/b.xls", "A/B\\C "), "/o/A/B/C 附件");
    EXPECT_EQ(AttachmentFolder("/o/b.xls", "5. By Department/Requester ", FolderNaming::OneFolder),
              "/o/5. By Department_Requester_附件");

    Run(Out("lost"), "Gone", 1);
    ASSERT_EQ(prompter.texts().size(), 4);
    EXPECT_TRUE(prompter.texts().last().startsWith("连接视图出错:"));
    EXPECT_EQ(ReadWorkbook(Out("lost.xls"))[0].toObject()["rows"].toArray().size(), 0) << "an empty workbook is saved";
}

TEST_F(Export, AFailingCellWriteSavesWhatWasWrittenAndSaysSo) {
    install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")},
                         {Note(u"M", {TextItem(u"A", {u"a"})}), Note(u"M", {TextItem(u"A", {u"b"})})});
    spreadsheettest::RecordingSpreadsheetAutomation recording;
    recording.log->failKind = SpreadsheetCall::Kind::SetCellValue;
    recording.log->failAt = 7;
    recording.log->failMessage = u"disk full";
    Run(Out("failed"), "V", 2, &recording);
    EXPECT_EQ(prompter.texts(), QStringList{"连接文档出错:disk full"});
    EXPECT_EQ(recording.log->of(SpreadsheetCall::Kind::SaveActiveWorkbookAs).size(), 1u);
    EXPECT_EQ(recording.log->of(SpreadsheetCall::Kind::Quit).size(), 1u);
    EXPECT_EQ(recording.log->applicationsReleased, 1);
}

TEST_F(Export, ManyDocumentsGoOnInFurtherSheetsAndLongTextsIntoFiles) {
    std::vector<store::NoteData> notes;
    for (int i = 0; i < 70000; ++i)
        notes.push_back(Note(u"M", {NumberItem(u"N", {double(i)})}));
    notes[0].items.push_back(TextItem(u"Long", {std::u16string(40000, u'长')}));
    const auto unids = install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")}, std::move(notes));
    Run(Out("many"), "V", 70005); // the view holds fewer than counted: what is there is written
    EXPECT_EQ(prompter.texts().size(), 1);
    EXPECT_TRUE(prompter.texts()[0].startsWith(kDone));
    const QJsonArray book = ReadWorkbook(Out("many.xls"));
    ASSERT_EQ(book.size(), 2);
    EXPECT_EQ(book[0].toObject()["rows"].toArray().size(), 65536);
    EXPECT_EQ(book[1].toObject()["rows"].toArray().size(), 70000 - 65535 + 1);
    EXPECT_EQ(Row(book, 1, 0), Row(book, 0, 0)) << "each sheet starts with the header row";
    EXPECT_EQ(Row(book, 1, 70000 - 65535).value(0), QString::fromStdU16String(unids.back()));
    EXPECT_EQ(Row(book, 0, 1).value(3).size(), 32767);
    QFile whole(Out("V附件/" + QString::fromStdU16String(unids[0]) + "/Long.txt"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(whole.readAll().mid(3)), QString(40000, QChar(u'长')));
}

TEST_F(Export, XlsxWorkbooksHoldWhatXlsOnesDoAndEveryTextAsItWas) {
    const std::u16string odd = u"\x01"
                               u"ctrl _x0041_ cr\r 中文 \U0001F600 <&>";
    const auto unids =
        install.MakeDatabase("db.nsf", {View(u"V", u"", u"SELECT @All")},
                             {Note(u"M", {TextItem(u"123", {odd}), TextItem(u"Long", {std::u16string(40000, u'长')})}),
                              Note(u"M", {TextItem(u"123", {u"  spaced  "}), NumberItem(u"Long", {1, 2})})});
    EXPECT_TRUE(Run(Out("book"), "V", 2, nullptr, WorkbookFormat::Xlsx).completed);
    const QJsonArray book = ReadWorkbook(Out("book.xlsx"));
    ASSERT_EQ(book.size(), 1);
    EXPECT_EQ(Row(book, 0, 0), QStringList({"文档ID", "Form", "123", "Long"}));
    EXPECT_EQ(Row(book, 0, 1).value(2), QString::fromStdU16String(odd)) << "control characters, _x and CR read back";
    EXPECT_EQ(xls::XlsxCellText(u"a\r\nb"), "a&#13;\nb") << "a carriage return every XML reader keeps";
    EXPECT_EQ(Row(book, 0, 1).value(3).size(), 32767);
    EXPECT_EQ(Row(book, 0, 2).mid(2), QStringList({"  spaced  ", "1, 2"}));
    EXPECT_EQ(book[0].toObject()["text"].toArray(), QJsonArray({QJsonArray({0, 2})}))
        << "only the integer-looking header";
    EXPECT_NEAR(book[0].toObject()["widths"].toObject()["A"].toDouble(), xls::Workbook::ColumnWidthUnits(40) / 256.0,
                1e-6);
    EXPECT_TRUE(QFile::exists(Out("V附件/" + QString::fromStdU16String(unids[0]) + "/Long.txt")));
}

TEST(XlsxWorkbook, SheetsTakeTheirRowsInOrderAndInTurn) {
    QTemporaryDir dir;
    xls::XlsxWorkbook book;
    book.setColumnWidth(0, 20);
    book.setText(0, 1, u"B1");
    book.setText(0, 0, u"A1"); // cells of one row in any order
    book.addSheet();
    book.setSheetName(u"第二");
    book.setText(0, 0, u"other");
    book.setActiveSheet(0);
    book.setText(2, 2, u"C3");
    EXPECT_THROW(book.setText(1, 0, u"late"), xls::Error) << "row 2 comes after row 3 was started";
    EXPECT_THROW(book.setColumnWidth(1, 10), xls::Error) << "widths come before the rows";
    EXPECT_THROW(book.setSheetName(u"第二"), xls::Error);
    EXPECT_THROW(book.setText(0, xls::kXlsxMaxColumns, u"x"), xls::Error);
    book.save(dir.filePath("b.xlsx").toStdU16String());
    const QJsonArray sheets = ReadWorkbook(dir.filePath("b.xlsx"));
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].toObject()["name"].toString(), "Sheet1");
    EXPECT_EQ(Row(sheets, 0, 0), QStringList({"A1", "B1", ""}));
    EXPECT_EQ(Row(sheets, 0, 2), QStringList({"", "", "C3"}));
    EXPECT_EQ(sheets[1].toObject()["name"].toString(), "第二");
    EXPECT_EQ(Row(sheets, 1, 0), QStringList{"other"});
}

// Files queued beyond the bytes that may wait are all written; a file that cannot be written is
// kept with its place.
TEST(FileQueue, EveryFileIsWrittenAndEveryFailureKept) {
    QTemporaryDir dir;
    const QString root = dir.path();
    QFile blocker(root + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    std::vector<std::pair<uint64_t, MissingFile>> failed;
    {
        FileQueue queue(10);
        queue.makeFolder(root + "/a/b");
        for (int i = 0; i < 200; ++i)
            queue.write(root + QStringLiteral("/a/b/%1.txt").arg(i), QByteArray(8, char('0' + i % 10)), {"d", "f", {}},
                        uint64_t(i));
        queue.write(root + "/file/x.txt", "x", {"d", "x.txt", {}}, 7);
        failed = queue.finish();
        queue.write(root + "/a/late.txt", "late", {}, 0); // made before the queue's end
    }
    EXPECT_EQ(QDir(root + "/a/b").entryList(QDir::Files).size(), 200);
    EXPECT_EQ(QFile(root + "/a/b/199.txt").size(), 8);
    EXPECT_TRUE(QFile::exists(root + "/a/late.txt"));
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].first, 7u);
    EXPECT_EQ(failed[0].second.fileName, "x.txt");
    EXPECT_EQ(failed[0].second.reason, "路径中有一级是文件而不是文件夹");
}

TEST(FileQueue, AWriterThatThrowsListsItsFileAndTheQueueGoesOn) {
    std::vector<std::pair<uint64_t, MissingFile>> failed;
    int written = 0;
    {
        FileQueue queue(1 << 20, [&](const QString& path, const QByteArray&) {
            if (path == "bad")
                throw std::bad_alloc();
            if (path == "odd")
                throw 42;
            ++written;
        });
        for (const char* path : {"a", "bad", "b", "odd", "c"})
            queue.write(path, "x", {"d", path, {}}, 0);
        failed = queue.finish();
        EXPECT_EQ(queue.written(), 3);
    }
    EXPECT_EQ(written, 3);
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_EQ(failed[0].second.reason, "内存不足");
    EXPECT_EQ(failed[1].second.reason, "未知错误");
}

TEST(SafePath, NamesNeverLeaveTheirFolder) {
    EXPECT_EQ(SafeFileName(".."), "_..");
    EXPECT_EQ(SafeFileName("a/../../b"), "a_.._.._b");
    EXPECT_EQ(SafeFileName("CON.txt"), "_CON.txt");
    EXPECT_EQ(SafeFileName("name. "), "name__");
    EXPECT_EQ(SafeRelativePath("..\\Sales/2024\\"), "_../Sales/2024");
    EXPECT_EQ(AssignFileNames({"a:b.txt", "A?b.txt", "A_B.TXT", "RTF域图片0.gif"}, IsPictureFileName),
              QStringList({"a_b (2).txt", "A_b (3).txt", "A_B.TXT", "RTF域图片0 (2).gif"}))
        << "a name that needs no change keeps it, whatever comes before it";
}

TEST(PictureScan, ThresholdOrderStrayAndUnclosedTags) {
    const QString big(2501, 'A'), edge(2500, 'B');
    const QString dxl = "<jpeg>" + big + "</jpeg><gif originalformat='notesbitmap'>" + big + "</gif><gif>" + edge +
                        "</gif><gif>" + big + "</gif><jpeg>" + edge + "</jpeg><jpeg>" + big;
    QStringList written;
    const auto scan = [&](const QString& text) {
        written.clear();
        ScanDxlPictures(text, [&](const QString& name, const QByteArray& bytes) {
            written << name + " " + QString::number(bytes.size());
        });
        return written;
    };
    // The plain GIF of 2,501 characters comes first (the one of 2,500 takes no number), then the
    // bitmap GIF, then the closed JPEG; the unclosed JPEG is not written.
    const QStringList expected{"RTF域图片0.gif 1875", "RTF域图片1.gif 1875", "RTF域图片2.jpg 1875"};
    EXPECT_EQ(scan(dxl), expected);
    EXPECT_EQ(scan(dxl), expected) << "a second scan gives the same files";
    EXPECT_EQ(scan("</gif><gif>" + big + "</gif>"), QStringList{"RTF域图片0.gif 1875"}) << "a stray closing tag first";
    EXPECT_EQ(scan("<gif>\n" + QString(2499, 'C') + "\n</gif>").size(), 1) << "line breaks count, then are skipped";
}

TEST(PictureScan, RealDxlSamplesWithPictures) {
    QFile sample(QStringLiteral(VERDANIX_SHARED_DATA "/dxl/plomino_test_binary_2.xml"));
    if (!sample.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no sample data beside the project";
    QStringList names;
    ScanDxlPictures(QString::fromUtf8(sample.readAll()), [&](const QString& name, const QByteArray& bytes) {
        names << name;
        EXPECT_TRUE(bytes.startsWith("\xFF\xD8")) << "a JPEG file";
    });
    EXPECT_EQ(names, QStringList{"RTF域图片0.jpg"});
}
