#include "Demo.h"
#include "DemoFiles.h"
#include "interfaces/FileSystem.h"

#include "platform/PortableComClassFactory.h"
#include "platform/ProfileFile.h"
#include "store/Build.h"
#include "store/DatabaseWriter.h"
#include "store/LocalStore.h"
#include "store/Names.h"
#include "store/OleTime.h"
#include "store/Password.h"
#include "store/RichText.h"

#include <array>
#include <cmath>
#include <fstream>
#include <random>
#include <stdexcept>

namespace demo {

namespace {

using namespace store;
using namespace store::build;
namespace fs = std::filesystem;

// Bump when the demo's content changes, so that an older installation is rebuilt.
constexpr char kDemoVersion[] = "verdanix demo 1";
constexpr char kMarkerFile[] = ".verdanix-demo";

std::string U8(const std::u16string& s) {
    return Utf16ToUtf8(s);
}

// ---- people -------------------------------------------------------------------------------

const std::array<const char16_t*, 40> kSurnames = {
    u"王", u"李", u"张", u"刘", u"陈", u"杨", u"黄", u"赵", u"吴", u"周", u"徐", u"孙", u"马", u"朱",
    u"胡", u"郭", u"何", u"高", u"林", u"罗", u"郑", u"梁", u"谢", u"宋", u"唐", u"许", u"韩", u"冯",
    u"邓", u"曹", u"彭", u"曾", u"肖", u"田", u"董", u"袁", u"潘", u"于", u"蒋", u"蔡"};
const std::array<const char16_t*, 40> kGivenNames = {
    u"伟",   u"芳",   u"娜",   u"秀英", u"敏",   u"静", u"丽", u"强", u"磊",   u"军",   u"洋",   u"勇",  u"艳", u"杰",
    u"娟",   u"涛",   u"明",   u"超",   u"秀兰", u"霞", u"平", u"刚", u"桂英", u"建华", u"文",   u"华",  u"红", u"建国",
    u"晓东", u"海燕", u"志强", u"丹",   u"萍",   u"鹏", u"辉", u"玲", u"宇",   u"浩",   u"欣怡", u"子涵"};
const std::array<const char16_t*, 8> kEnglishFirst = {u"John",  u"Emily", u"Michael", u"Sarah",
                                                      u"David", u"Laura", u"James",   u"Anna"};
const std::array<const char16_t*, 8> kEnglishLast = {u"Smith",  u"Johnson", u"Brown", u"Miller",
                                                     u"Wilson", u"Taylor",  u"Clark", u"Lewis"};
const std::array<const char16_t*, 12> kCompanies = {
    u"华信科技有限公司", u"东方贸易集团", u"长城建设股份有限公司", u"南方电子",
    u"北京新锐咨询",     u"上海远景物流", u"Acme Corporation",     u"Global Logistics Ltd.",
    u"深圳创新软件",     u"杭州云端网络", u"成都天府食品",         u"Pacific Trading Co."};
const std::array<const char16_t*, 8> kDepartments = {u"销售部",     u"市场部", u"技术部", u"财务部",
                                                     u"人力资源部", u"行政部", u"采购部", u"客服部"};
const std::array<const char16_t*, 8> kTitles = {u"经理", u"主管", u"工程师", u"专员",
                                                u"总监", u"助理", u"顾问",   u"Sales Manager"};

struct Colleague {
    std::u16string fullName; // canonical
    std::u16string shortName;
    std::u16string first, last;
    std::u16string department;
    std::u16string password;
};

const Colleague kColleagues[] = {
    {u"CN=张伟/O=HuaXin", u"zhangwei", u"伟", u"张", u"技术部", u"demo123"},
    {u"CN=李娜/O=HuaXin", u"lina", u"娜", u"李", u"销售部", u"lina2024"},
    {u"CN=王芳/O=HuaXin", u"wangfang", u"芳", u"王", u"财务部", u"wangfang2024"},
    {u"CN=刘洋/O=HuaXin", u"liuyang", u"洋", u"刘", u"市场部", u"liuyang2024"},
    {u"CN=陈静/O=HuaXin", u"chenjing", u"静", u"陈", u"行政部", u"chenjing2024"},
    {u"CN=Administrator/O=HuaXin", u"admin", u"", u"Administrator", u"技术部", u"Adm1n!2024"},
};

// ---- databases ----------------------------------------------------------------------------

struct Counter {
    int databases = 0;
    int documents = 0;
};

double Day(int year, int month, int day, int hour = 0, int minute = 0) {
    return ToOleDate(year, month, day, hour, minute);
}

void BuildNames(const fs::path& file, Counter& counter) {
    auto db = DatabaseWriter::Create(file, u"HuaXin's Directory");
    db->addView(
        View(u"People", u"People|($People)", u"SELECT Form = \"Person\"",
             {FormulaColumn(u"姓名", u"LastName + FirstName", sort_order::kAscending), Column(u"简称", u"ShortName"),
              Column(u"部门", u"Department"), Column(u"电子邮件", u"InternetAddress")}));
    db->addView(View(u"Groups", u"Groups|($Groups)", u"SELECT Form = \"Group\"",
                     {Column(u"组名", u"ListName", sort_order::kAscending), Column(u"成员", u"Members")}));
    db->addView(View(u"($Users)", u"$Users", u"SELECT Form = \"Person\" | Form = \"Group\"",
                     {Column(u"Name", u"ShortName", sort_order::kAscending), Column(u"Full name", u"FullName")}));
    db->addView(View(u"($Servers)", u"$Servers", u"SELECT Form = \"Server\"",
                     {Column(u"Server", u"ServerName", sort_order::kAscending)}));
    for (const auto& c : kColleagues) {
        NoteData person;
        person.form = u"Person";
        person.created = Day(2022, 3, 1, 9);
        std::vector<std::u16string> fullNames = {c.fullName, AbbreviateName(c.fullName)};
        person.items.push_back(TextItem(u"Type", {u"Person"}));
        person.items.push_back(TextItem(u"FullName", fullNames, item_type::kNames));
        person.items.push_back(TextItem(u"ShortName", {c.shortName}));
        person.items.push_back(TextItem(u"FirstName", {c.first}));
        person.items.push_back(TextItem(u"LastName", {c.last}));
        person.items.push_back(TextItem(u"InternetAddress", {c.shortName + u"@huaxin.com.cn"}));
        person.items.push_back(TextItem(u"CompanyName", {u"华信科技有限公司"}));
        person.items.push_back(TextItem(u"Department", {c.department}));
        person.items.push_back(TextItem(u"MailServer", {kServerName}, item_type::kNames));
        person.items.push_back(TextItem(u"MailFile", {u"mail\\" + c.shortName}));
        person.items.push_back(TextItem(u"HTTPPassword", {HashPassword(c.password)}));
        person.items.push_back(TextItem(u"$SecurePassword", {u"1"}));
        db->addNote(std::move(person));
        ++counter.documents;
    }
    NoteData admins;
    admins.form = u"Group";
    admins.items = {TextItem(u"Type", {u"Group"}), TextItem(u"ListName", {u"LocalDomainAdmins"}),
                    TextItem(u"Members", {u"CN=Administrator/O=HuaXin", u"CN=张伟/O=HuaXin"}, item_type::kNames)};
    db->addNote(std::move(admins));
    NoteData sales;
    sales.form = u"Group";
    sales.items = {TextItem(u"Type", {u"Group"}), TextItem(u"ListName", {u"销售部全体"}),
                   TextItem(u"Members", {u"CN=李娜/O=HuaXin", u"CN=刘洋/O=HuaXin"}, item_type::kNames)};
    db->addNote(std::move(sales));
    NoteData server;
    server.form = u"Server";
    server.items = {TextItem(u"Type", {u"Server"}), TextItem(u"ServerName", {kServerName}, item_type::kNames),
                    TextItem(u"Domain", {u"HuaXin"})};
    db->addNote(std::move(server));
    counter.documents += 3;
    db->commit();
    ++counter.databases;
}

const char16_t* const kMailSubjects[] = {
    u"关于下周部门例会的通知", u"第三季度销售数据汇总",     u"Re: 项目进度更新",
    u"请审批：差旅报销单",     u"客户拜访纪要（东方贸易）", u"Quarterly review meeting",
    u"服务器维护时间安排",     u"新员工入职培训安排",       u"Fw: 合同模板修订版",
    u"年会节目报名",           u"Budget planning for 2025", u"办公用品采购申请",
    u"关于调整考勤制度的说明", u"技术方案评审意见",         u"Invitation: product launch",
    u"周报 - 技术部",
};

const char16_t* const kMailBodies[] = {
    u"各位同事：\n请于下周一上午九点准时参加部门例会，会议地点为三楼会议室。",
    u"附件是本季度的销售数据，请查收。如有疑问请随时联系我。",
    u"Hi all,\tplease find the latest figures below. Let me know if anything looks off before Friday.",
    u"经与客户沟通，对方同意在月底前签署合同，具体条款见附件。",
    u"服务器将于本周六晚上22:00至次日2:00进行例行维护，期间邮件系统暂停服务，请提前做好准备。",
};

void BuildMail(const fs::path& file, const Colleague& owner, int count, unsigned seed, const Pictures& pictures,
               Counter& counter) {
    auto db = DatabaseWriter::Create(file, owner.last + owner.first + u" 的邮件");
    const std::u16string dateColumnTitle = u"日期";
    db->addView(View(u"($Inbox)", u"Inbox", u"SELECT Form = \"Memo\" & Folder = \"Inbox\"",
                     {Column(u"发件人", u"From"), Column(u"主题", u"Subject"),
                      Column(dateColumnTitle, u"PostedDate", sort_order::kDescending)}));
    db->addView(View(u"($Sent)", u"Sent", u"SELECT Form = \"Memo\" & Folder = \"Sent\"",
                     {Column(u"收件人", u"SendTo"), Column(u"主题", u"Subject"),
                      Column(dateColumnTitle, u"PostedDate", sort_order::kDescending)}));
    db->addView(View(u"($Drafts)", u"Drafts", u"SELECT Form = \"Memo\" & Folder = \"Drafts\"",
                     {Column(u"主题", u"Subject"), Column(dateColumnTitle, u"PostedDate")}));
    db->addView(View(u"($All)", u"AllDocuments", u"SELECT @All",
                     {Column(dateColumnTitle, u"PostedDate", sort_order::kDescending), Column(u"发件人", u"From"),
                      Column(u"主题", u"Subject")}));
    db->addView(View(u"按日期", u"ByDate", u"SELECT Form = \"Memo\"",
                     {Column(dateColumnTitle, u"PostedDate", sort_order::kDescending), Column(u"发件人", u"From"),
                      Column(u"收件人", u"SendTo"), Column(u"主题", u"Subject"), Column(u"大小(KB)", u"Size"),
                      FormulaColumn(u"附件数", u"@Attachments")}));
    db->addView(View(u"按发件人", u"BySender", u"SELECT Form = \"Memo\" & Folder = \"Inbox\"",
                     {Column(u"发件人", u"From", sort_order::kAscending),
                      Column(dateColumnTitle, u"PostedDate", sort_order::kDescending), Column(u"主题", u"Subject")}));
    std::mt19937 random(seed);
    const std::u16string ownerName = owner.fullName;
    for (int i = 0; i < count; ++i) {
        const Colleague& other = kColleagues[1 + random() % 5];
        const bool sent = i % 5 == 0;
        const bool draft = i % 37 == 0;
        NoteData memo;
        memo.form = u"Memo";
        const double posted = Day(2024, 1 + i * 11 / count, 1 + random() % 28, 8 + random() % 10, random() % 60);
        memo.created = posted;
        const std::u16string subject = kMailSubjects[random() % std::size(kMailSubjects)];
        std::vector<std::u16string> sendTo = {sent ? other.fullName : ownerName};
        if (random() % 3 == 0)
            sendTo.push_back(kColleagues[1 + random() % 5].fullName);
        memo.items.push_back(TextItem(u"From", {sent ? ownerName : other.fullName}, item_type::kNames));
        memo.items.push_back(TextItem(u"SendTo", sendTo, item_type::kNames));
        if (random() % 4 == 0)
            memo.items.push_back(TextItem(u"CopyTo", {u"CN=陈静/O=HuaXin", u"CN=王芳/O=HuaXin"}, item_type::kNames));
        memo.items.push_back(TextItem(u"Subject", {subject}));
        memo.items.push_back(DateItem(u"PostedDate", {posted}));
        memo.items.push_back(DateItem(u"DeliveredDate", {posted + 2.0 / 1440}));
        memo.items.push_back(TextItem(u"Importance", {random() % 6 == 0 ? u"1" : u"2"}));
        memo.items.push_back(TextItem(u"Folder", {draft ? u"Drafts" : (sent ? u"Sent" : u"Inbox")}));
        RichTextBuilder body;
        body.addParagraph(kMailBodies[random() % std::size(kMailBodies)]);
        if (i % 9 == 3) {
            body.addParagraph(u"本月各区域销售额对比如下图：");
            body.addPicture("gif", pictures.chartGif2, 280, 180);
        }
        if (i % 13 == 5) {
            body.addParagraph(u"Photos from the team outing:");
            body.addPicture("jpeg", pictures.photoJpeg2, 320, 240);
        }
        if (i % 6 == 1) {
            const std::u16string name = u"会议纪要_" + Utf8ToUtf16(std::to_string(i)) + u".txt";
            memo.files.push_back(
                FileObject(name, U8(u"会议纪要\r\n时间：2024年\r\n参会人员：张伟、李娜、王芳\r\n议题：季度总结\r\n")));
            body.addAttachmentRef(name);
        }
        if (i % 17 == 2) {
            memo.files.push_back(FileObject(u"报价单.pdf", PdfFile("Quotation No. " + std::to_string(1000 + i))));
            body.addAttachmentRef(u"报价单.pdf");
        }
        body.addParagraph(u"此致\n" + (sent ? owner.last + owner.first : other.last + other.first));
        memo.items.push_back(RichItem(u"Body", body.fragment()));
        double size = 2 + random() % 40;
        for (const auto& f : memo.files)
            size += static_cast<double>(f.bytes.size()) / 1024;
        memo.items.push_back(NumberItem(u"Size", {std::round(size * 10) / 10}));
        db->addNote(std::move(memo));
        ++counter.documents;
    }
    db->commit();
    ++counter.databases;
}

void BuildLibrary(const fs::path& file, const Pictures& pictures, Counter& counter) {
    auto db = DatabaseWriter::Create(file, u"办公室文档库");
    db->addView(View(u"按类别", u"ByCategory", u"SELECT Form = \"Document\"",
                     {Column(u"类别", u"Category", sort_order::kAscending), Column(u"标题", u"Subject"),
                      Column(u"作者", u"DocAuthors"), Column(u"发布日期", u"PublishDate"), Column(u"版本", u"Version"),
                      Column(u"关键词", u"Keywords")}));
    db->addView(View(u"按日期", u"ByDate", u"SELECT Form = \"Document\"",
                     {Column(u"发布日期", u"PublishDate", sort_order::kDescending), Column(u"标题", u"Subject"),
                      Column(u"部门", u"Department")}));
    db->addView(View(u"按部门\\市场部", u"Marketing", u"SELECT Form = \"Document\" & Department = \"市场部\"",
                     {Column(u"标题", u"Subject", sort_order::kAscending), Column(u"发布日期", u"PublishDate")}));
    db->addView(View(u"按部门\\技术部", u"Engineering", u"SELECT Form = \"Document\" & Department = \"技术部\"",
                     {Column(u"标题", u"Subject", sort_order::kAscending), Column(u"发布日期", u"PublishDate")}));
    db->addView(View(u"带附件的文档", u"WithAttachments", u"SELECT @Attachments > 0",
                     {Column(u"标题", u"Subject"), FormulaColumn(u"附件", u"@AttachmentNames")}));
    db->addView(View(u"($All)", u"", u"SELECT @All",
                     {Column(u"标题", u"Subject"), FormulaColumn(u"创建时间", u"@Created", sort_order::kAscending)}));

    // The showcase document: every kind of picture, attachments and embedded objects.
    {
        NoteData doc;
        doc.form = u"Document";
        doc.created = Day(2024, 10, 8, 10, 30);
        doc.items.push_back(TextItem(u"Subject", {u"2024年第三季度销售报告"}));
        doc.items.push_back(TextItem(u"Category", {u"报告"}));
        doc.items.push_back(TextItem(u"Department", {u"市场部"}));
        doc.items.push_back(TextItem(u"DocAuthors", {u"CN=刘洋/O=HuaXin", u"CN=李娜/O=HuaXin"}, item_type::kAuthors));
        doc.items.push_back(
            TextItem(u"DocReaders", {u"CN=张伟/O=HuaXin", u"[Managers]", u"LocalDomainAdmins"}, item_type::kReaders));
        doc.items.push_back(DateItem(u"PublishDate", {Day(2024, 10, 8)}));
        doc.items.push_back(NumberItem(u"Version", {3}));
        doc.items.push_back(NumberItem(u"Revenue", {12850000.5, 9730000, 15200000.25}));
        doc.items.push_back(TextItem(u"Keywords", {u"销售", u"季度", u"Q3", u"report"}));
        doc.files.push_back(FileObject(
            u"销售数据.csv", "\xEF\xBB\xBF" + U8(u"区域,销售额,同比\r\n华东,5230000,12.5%\r\n华南,4120000,8.1%\r\n"
                                                 u"华北,3500000.5,-2.3%\r\n")));
        doc.files.push_back(FileObject(u"Q3 report.pdf", PdfFile("Q3 2024 Sales Report")));
        doc.files.push_back(FileObject(u"项目计划.rtf", RtfDocument("Project plan 2025: milestones and budget."),
                                       file_kind::kObject, u"Word.Document.8"));
        doc.files.push_back(FileObject(u"预算表.csv", U8(u"科目,金额\r\n差旅,120000\r\n培训,80000\r\n"),
                                       file_kind::kObject, u"Excel.Sheet.8"));
        RichTextBuilder body;
        body.addParagraph(u"一、总体情况");
        body.addParagraph(u"本季度公司实现销售收入 1285 万元，同比增长 12.5%。各区域销售额见下图：");
        body.addPicture("gif", pictures.chartGif, 320, 200);
        body.addParagraph(u"二、市场活动\tMarket events in Shanghai and Shenzhen drew more than 2,000 visitors.");
        body.addPicture("jpeg", pictures.photoJpeg, 400, 300);
        body.addParagraph(u"三、区域对比（截图）");
        body.addPicture("notesbitmap", pictures.bitmap, 200, 120);
        body.addParagraph(u"小图标：");
        body.addPicture("gif", pictures.iconGif, 16, 16);
        body.addPicture("jpeg", pictures.smallJpeg, 24, 24);
        body.addParagraph(u"附件：原始数据与报告全文。");
        body.addAttachmentRef(u"销售数据.csv");
        body.addAttachmentRef(u"Q3 report.pdf");
        body.addParagraph(u"嵌入对象：项目计划与预算表。");
        body.addObjectRef(u"项目计划.rtf", u"Word.Document.8");
        body.addObjectRef(u"预算表.csv", u"Excel.Sheet.8");
        doc.items.push_back(RichItem(u"Body", body.fragment()));
        RichTextBuilder summary;
        summary.addParagraph(u"Summary: revenue up 12.5% year on year; East China leads.");
        summary.addPicture("gif", pictures.iconGif2, 16, 16);
        doc.items.push_back(RichItem(u"Summary", summary.fragment()));
        db->addNote(std::move(doc));
        ++counter.documents;
    }

    const char16_t* const categories[] = {u"制度", u"报告", u"会议纪要", u"技术文档", u"合同", u"Policy"};
    const char16_t* const titles[] = {
        u"员工手册（2024版）", u"差旅费报销管理办法", u"信息安全管理规定",   u"年度工作总结", u"产品技术白皮书",
        u"网络架构说明",       u"供应商合作协议",     u"Remote work policy", u"项目周会纪要", u"数据备份操作指南"};
    std::mt19937 random(42);
    for (int i = 0; i < 48; ++i) {
        NoteData doc;
        doc.form = u"Document";
        doc.created = Day(2023, 1 + i % 12, 1 + (i * 7) % 28, 9 + i % 8);
        const Colleague& author = kColleagues[random() % 5];
        doc.items.push_back(TextItem(u"Subject", {std::u16string(titles[i % std::size(titles)]) +
                                                  (i >= static_cast<int>(std::size(titles))
                                                       ? u" (" + Utf8ToUtf16(std::to_string(i / 10 + 1)) + u")"
                                                       : u"")}));
        doc.items.push_back(TextItem(u"Category", {categories[random() % std::size(categories)]}));
        doc.items.push_back(TextItem(u"Department", {i % 3 == 0 ? u"市场部" : (i % 3 == 1 ? u"技术部" : u"行政部")}));
        doc.items.push_back(TextItem(u"DocAuthors", {author.fullName}, item_type::kAuthors));
        doc.items.push_back(DateItem(u"PublishDate", {doc.created}));
        doc.items.push_back(NumberItem(u"Version", {1.0 + i % 4}));
        doc.items.push_back(TextItem(u"Keywords", {u"文档", categories[i % std::size(categories)]}));
        RichTextBuilder body;
        body.addParagraph(u"本文档由" + author.last + author.first + u"编写，适用于全体员工。");
        body.addParagraph(u"第一条\t为规范公司管理，提高工作效率，特制定本办法。This document applies to all staff "
                          u"members of the company and takes effect on the date of publication.");
        if (i % 5 == 0) {
            body.addPicture("gif", pictures.chartGif2, 280, 180);
        }
        if (i % 7 == 3) {
            body.addPicture("jpeg", pictures.photoJpeg2, 320, 240);
        }
        if (i % 4 == 2) {
            const std::u16string name = u"附件" + Utf8ToUtf16(std::to_string(i)) + u".txt";
            doc.files.push_back(FileObject(name, U8(u"文档附件内容 ") + std::to_string(i) + "\r\n"));
            body.addAttachmentRef(name);
        }
        doc.items.push_back(RichItem(u"Body", body.fragment()));
        db->addNote(std::move(doc));
        ++counter.documents;
    }
    db->commit();
    ++counter.databases;
}

// More than two pages of the program's list (2,000 documents a page).
void BuildContacts(const fs::path& file, int count, Counter& counter) {
    auto db = DatabaseWriter::Create(file, u"客户通讯录");
    db->addView(View(u"按姓名", u"ByName", u"SELECT Form = \"Contact\"",
                     {Column(u"姓名", u"FullName", sort_order::kAscending), Column(u"公司", u"Company"),
                      Column(u"部门", u"Department"), Column(u"职务", u"JobTitle"), Column(u"电话", u"Phone"),
                      Column(u"电子邮件", u"Email"), Column(u"生日", u"Birthday"), Column(u"年龄", u"Age"),
                      Column(u"标签", u"Tags"), Column(u"城市", u"City")}));
    db->addView(View(u"按公司", u"ByCompany", u"SELECT Form = \"Contact\"",
                     {Column(u"公司", u"Company", sort_order::kAscending),
                      Column(u"姓名", u"FullName", sort_order::kAscending), Column(u"电话", u"Phone")}));
    db->addView(View(u"VIP客户", u"VIP", u"SELECT Form = \"Contact\" & Level = \"VIP\"",
                     {Column(u"姓名", u"FullName"), Column(u"公司", u"Company"), Column(u"年消费额", u"Spending")}));
    db->addView(View(u"($All)", u"", u"SELECT @All", {Column(u"姓名", u"FullName"), Column(u"公司", u"Company")}));
    db->addView(View(u"($VIMPeople)", u"", u"SELECT Form = \"Contact\" & @IsAvailable(Email)",
                     {Column(u"Email", u"Email", sort_order::kAscending)}));
    const char16_t* const cities[] = {u"北京", u"上海", u"广州", u"深圳", u"杭州", u"成都", u"Singapore", u"Hong Kong"};
    const char16_t* const tags[] = {u"供应商", u"客户", u"合作伙伴", u"媒体", u"政府", u"VIP"};
    std::mt19937 random(2024);
    for (int i = 0; i < count; ++i) {
        NoteData contact;
        contact.form = u"Contact";
        contact.created = Day(2020 + i % 5, 1 + i % 12, 1 + i % 28, 9, i % 60);
        const bool english = i % 10 == 9;
        std::u16string last, first, full;
        if (english) {
            first = kEnglishFirst[random() % kEnglishFirst.size()];
            last = kEnglishLast[random() % kEnglishLast.size()];
            full = first + u" " + last;
        } else {
            last = kSurnames[random() % kSurnames.size()];
            first = kGivenNames[random() % kGivenNames.size()];
            full = last + first;
        }
        const std::u16string company = kCompanies[random() % kCompanies.size()];
        contact.items.push_back(TextItem(u"LastName", {last}));
        contact.items.push_back(TextItem(u"FirstName", {first}));
        contact.items.push_back(TextItem(u"FullName", {full}));
        contact.items.push_back(TextItem(u"Company", {company}));
        contact.items.push_back(TextItem(u"Department", {kDepartments[random() % kDepartments.size()]}));
        contact.items.push_back(TextItem(u"JobTitle", {kTitles[random() % kTitles.size()]}));
        std::vector<std::u16string> phones = {Utf8ToUtf16("010-" + std::to_string(60000000 + random() % 9999999))};
        if (random() % 2)
            phones.push_back(Utf8ToUtf16("13" + std::to_string(100000000 + random() % 899999999)));
        contact.items.push_back(TextItem(u"Phone", phones));
        if (random() % 8 != 0)
            contact.items.push_back(TextItem(u"Email", {Utf8ToUtf16("contact" + std::to_string(i) + "@example.com")}));
        const int year = 1960 + static_cast<int>(random() % 40);
        contact.items.push_back(DateItem(u"Birthday", {Day(year, 1 + random() % 12, 1 + random() % 28)}));
        contact.items.push_back(NumberItem(u"Age", {static_cast<double>(2025 - year)}));
        std::vector<std::u16string> tagList = {tags[random() % std::size(tags)]};
        if (random() % 3 == 0)
            tagList.push_back(tags[random() % std::size(tags)]);
        contact.items.push_back(TextItem(u"Tags", tagList));
        contact.items.push_back(TextItem(u"City", {cities[random() % std::size(cities)]}));
        contact.items.push_back(TextItem(u"Level", {random() % 20 == 0 ? u"VIP" : u"普通"}));
        contact.items.push_back(NumberItem(u"Spending", {static_cast<double>(random() % 500000) / 100.0}));
        if (i % 250 == 0) {
            RichTextBuilder notes;
            notes.addParagraph(u"备注：重要客户，需定期回访。");
            contact.items.push_back(RichItem(u"Notes", notes.fragment()));
        }
        db->addNote(std::move(contact));
        ++counter.documents;
    }
    db->commit();
    ++counter.databases;
}

void BuildArchive(const fs::path& file, const Pictures& pictures, Counter& counter) {
    auto db = DatabaseWriter::Create(file, u"2023年项目归档");
    db->addView(View(u"项目列表", u"Projects", u"SELECT Form = \"Project\"",
                     {Column(u"项目编号", u"ProjectNo", sort_order::kAscending), Column(u"项目名称", u"Subject"),
                      Column(u"负责人", u"Manager"), Column(u"预算(元)", u"Budget"), Column(u"开始", u"StartDate"),
                      Column(u"结束", u"EndDate"), Column(u"状态", u"Status")}));
    db->addView(View(u"已完成", u"Done", u"SELECT Form = \"Project\" & Status = \"已完成\"",
                     {Column(u"项目名称", u"Subject", sort_order::kAscending), Column(u"结束", u"EndDate")}));
    db->addView(View(u"($All)", u"", u"SELECT @All", {Column(u"项目名称", u"Subject")}));
    const char16_t* const names[] = {u"ERP系统升级",  u"官网改版",     u"华南仓库扩建",
                                     u"CRM 数据迁移", u"办公网络改造", u"Mobile app pilot"};
    for (int i = 0; i < 30; ++i) {
        NoteData project;
        project.form = u"Project";
        project.created = Day(2023, 1 + i % 12, 3, 10);
        project.items.push_back(TextItem(u"ProjectNo", {Utf8ToUtf16("P2023-" + std::to_string(100 + i))}));
        project.items.push_back(TextItem(u"Subject", {std::u16string(names[i % std::size(names)]) + u" " +
                                                      Utf8ToUtf16(std::to_string(i / 6 + 1)) + u"期"}));
        project.items.push_back(TextItem(u"Manager", {kColleagues[i % 5].fullName}, item_type::kNames));
        project.items.push_back(NumberItem(u"Budget", {50000.0 * (1 + i % 7)}));
        project.items.push_back(DateItem(u"StartDate", {Day(2023, 1 + i % 12, 3)}));
        project.items.push_back(DateItem(u"EndDate", {Day(2023, 1 + i % 12, 3) + 90 + i}));
        project.items.push_back(TextItem(u"Status", {i % 4 == 0 ? u"进行中" : u"已完成"}));
        RichTextBuilder body;
        body.addParagraph(u"项目目标：按期完成建设任务，控制预算。");
        if (i % 10 == 0)
            body.addPicture("notesbitmap", pictures.bitmap, 200, 120);
        project.items.push_back(RichItem(u"Body", body.fragment()));
        db->addNote(std::move(project));
        ++counter.documents;
    }
    db->commit();
    ++counter.databases;
}

std::string RegistryString(const fs::path& path) {
    std::string out;
    for (char c : U8(path.u16string())) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        throw std::runtime_error("cannot write " + PathText(file));
}

// Writes keys in order into section of a profile file (a new one is readable by its owner only).
void WriteProfile(const QString& file, std::u16string_view section,
                  std::initializer_list<std::pair<std::u16string_view, std::u16string_view>> keys) {
    ProfileFile profile(file);
    const auto text = [](std::u16string_view s) {
        return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
    };
    for (const auto& [key, value] : keys)
        profile.WriteString(text(section), text(key), text(value));
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

std::string RegistryText(const fs::path& programDir, const fs::path& dataDir) {
    const fs::path component = programDir / "nlsxbe.dll";
    return "REGEDIT4\n\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Lotus\\Domino]\n"
           "\"Path\"=\"" +
           RegistryString(programDir) + "\"\n\"DataPath\"=\"" + RegistryString(dataDir) +
           "\"\n\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\" +
           U8(domino_ids::kNotesSessionClass) + "\\InprocServer32]\n@=\"" + RegistryString(component) + "\"\n";
}

Result BuildDemo(const fs::path& installRoot, const fs::path& exeDir, bool force) {
    const fs::path root = fs::absolute(installRoot).lexically_normal();
    const fs::path programDir = root / "program";
    const fs::path dataDir = root / "data";
    const fs::path registryFile = exeDir / "registry.reg";
    const fs::path settingsFile = exeDir / "system.ini";
    const std::string registry = RegistryText(programDir, dataDir);

    Result result;
    if (!force && ReadText(dataDir / kMarkerFile) == kDemoVersion && ReadText(registryFile) == registry &&
        fs::exists(settingsFile) && PortableComClassFactory::ComponentKind(programDir / "nlsxbe.dll") == kComponentKind)
        return result;

    fs::create_directories(programDir);
    fs::create_directories(dataDir / "mail");
    fs::create_directories(dataDir / u"办公室");
    fs::create_directories(dataDir / u"归档");
    fs::create_directories(dataDir / u"模板"); // an empty folder
    fs::create_directories(exeDir);
    std::error_code ec;
    fs::remove(dataDir / kMarkerFile, ec);

    PortableComClassFactory::WriteComponentFile(programDir / "nlsxbe.dll", kComponentKind);
    // notes.ini and system.ini are profile files, in the encoding the program reads them in.
    const QString notesIni = QString::fromStdU16String((programDir / "notes.ini").u16string());
    fs::remove(programDir / "notes.ini", ec);
    WriteProfile(notesIni, u"Notes",
                 {{u"Directory", dataDir.u16string()},
                  {u"ServerName", kServerName},
                  {u"KeyFileName", u"server.id"},
                  {u"Names", u"names"}});

    const Pictures pictures;
    Counter counter;
    BuildNames(dataDir / "names.nsf", counter);
    BuildMail(dataDir / "mail" / "zhangwei.nsf", kColleagues[0], 180, 1, pictures, counter);
    BuildMail(dataDir / "mail" / "lina.nsf", kColleagues[1], 40, 2, pictures, counter);
    BuildLibrary(dataDir / u"办公室" / u"文档库.nsf", pictures, counter);
    BuildContacts(dataDir / u"通讯录.nsf", 4321, counter);
    BuildArchive(dataDir / u"归档" / u"2023年项目.nsf", pictures, counter);

    WriteText(registryFile, registry);
    fs::remove(settingsFile, ec);
    WriteProfile(QString::fromStdU16String(settingsFile.u16string()), u"domino",
                 {{u"server", kServerNameShort}, {u"username", kUserShortName}, {u"pwd", kUserPassword}});
    WriteText(dataDir / kMarkerFile, kDemoVersion);
    result.rebuilt = true;
    result.databases = counter.databases;
    result.documents = counter.documents;
    return result;
}

} // namespace demo
