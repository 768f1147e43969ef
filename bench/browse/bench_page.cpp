// Time of one page of the document list: 2,000 documents with 10 column values each, read from a
// 100,000-document view of the local store into the real list widget (offscreen), for the first
// page and a page in the middle; and of one detail window for a document with 50 items. Each
// figure is printed on a line of its own at the end (target: a page in at most 30 ms).
#include "access/Databases.h"
#include "access/Domino_TLB.h"
#include "browse/DocumentPage.h"
#include "browse/docDetail.h"
#include "import/NsfCache.h"
#include "platform/ProfileFile.h"
#include "shell/ListView.h"
#include "shell/WaitMsg.h"
#include "store/Build.h"
#include "store/DatabaseWriter.h"
#include "store/LocalStore.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace store::build;

namespace {

constexpr int kDocuments = 100000;

std::map<std::string, double> g_bestMs;
TNotesSession* g_session = nullptr;
TNotesDatabase* g_database = nullptr;
std::u16string g_detailUnid;

void Record(const std::string& name, double ms) {
    auto& best = g_bestMs[name];
    best = best == 0 ? ms : std::min(best, ms);
}

void MakeDatabase(const fs::path& file) {
    std::vector<store::ColumnDef> columns;
    const char16_t* items[] = {u"Name",   u"Company", u"Department", u"Phone", u"Email",
                               u"Amount", u"Due",     u"Tag",        u"City",  u"Code"};
    for (const char16_t* item : items)
        columns.push_back(
            Column(item, item, item == items[0] ? store::sort_order::kAscending : store::sort_order::kNone));
    auto writer = store::DatabaseWriter::Create(file, u"Bench");
    writer->addView(View(u"By name", u"", u"SELECT Form = \"Contact\"", columns));
    for (int i = 0; i < kDocuments; ++i) {
        const auto n = std::to_string((static_cast<long long>(i) * 7919) % kDocuments);
        const std::u16string key(n.begin(), n.end());
        writer->addNote(
            Note(u"Contact", {TextItem(u"Name", {u"客户" + key}), TextItem(u"Company", {u"华信科技"}),
                              TextItem(u"Department", {u"销售部"}), TextItem(u"Phone", {u"010-62345678"}),
                              TextItem(u"Email", {u"c" + key + u"@example.com"}), NumberItem(u"Amount", {i * 1.5}),
                              DateItem(u"Due", {45717.39}), TextItem(u"Tag", {u"VIP"}), TextItem(u"City", {u"上海"}),
                              NumberItem(u"Code", {double(i)})}));
    }
    std::vector<store::ItemData> many;
    for (int i = 0; i < 50; ++i)
        many.push_back(TextItem(u"Field" + std::u16string(1, char16_t(u'A' + i % 26)) + char16_t(u'0' + i / 26),
                                {u"值 " + std::u16string(40, u'x')}));
    g_detailUnid = writer->addNote(Note(u"Detail", std::move(many)));
    writer->commit();
}

void BM_Page(benchmark::State& state) {
    const auto start = static_cast<int32_t>(state.range(0));
    ListView list;
    list.resize(1000, 600);
    WaitMsgWindow progress;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        DocumentPage page = LoadDocumentPage(*g_database, QStringLiteral("By name"), start, progress);
        list.showReport(page.columns, 1000 / 11, std::move(page.rows));
        Record(start == 0 ? "page_first_ms" : "page_middle_ms",
               std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        if (list.itemCount() != kPageSize)
            state.SkipWithError("short page");
    }
}
BENCHMARK(BM_Page)->Arg(0)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Detail(benchmark::State& state) {
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        TfrmdocDetail detail(
            DocumentItems(*g_session, QString(), QStringLiteral("bench.nsf"), QString::fromStdU16String(g_detailUnid)));
        benchmark::DoNotOptimize(detail.StringGrid1);
        Record("detail_50_items_ms",
               std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
}
BENCHMARK(BM_Detail)->Unit(benchmark::kMillisecond)->Iterations(10);

// A click on a view of an opened Domino database file, as the window makes it: the database
// opened by its path, the view's first page listed (the file was read into the cache before).
TNotesSession* g_nsfSession = nullptr;
const QString kNsfSample = QStringLiteral(VERDANIX_NSF_SAMPLES "/sample.nsf");

void BM_NsfViewClick(benchmark::State& state) {
    if (!g_nsfSession)
        return state.SkipWithError("the .nsf samples are not beside the project");
    WaitMsgWindow progress;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const auto db = OpenDatabase(*g_nsfSession, QString(), kNsfSample);
        DocumentPage page = LoadDocumentPage(*db, QStringLiteral("All"), 0, progress);
        benchmark::DoNotOptimize(page.rows);
        Record("nsf_view_click_ms",
               std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
}
BENCHMARK(BM_NsfViewClick)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdU16String());
    fs::create_directories(root / "program");
    fs::create_directories(root / "data");
    ProfileFile ini(QString::fromStdU16String((root / "program" / "notes.ini").u16string()));
    ini.WriteString(QStringLiteral("Notes"), QStringLiteral("Directory"),
                    QString::fromStdU16String((root / "data").u16string()));
    MakeDatabase(root / "data" / "bench.nsf");

    // Every class is the store's session.
    struct StoreClasses : IComClassFactory {
        fs::path programDir;
        std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string&) override {
            return store::CreateSession(programDir);
        }
    } classes;
    classes.programDir = root / "program";
    TNotesSession session(classes);
    session.Initialize(u"");
    TNotesDatabase database;
    database.ConnectTo(session.GetDatabase(u"", u"bench.nsf", false));
    g_session = &session;
    g_database = &database;

    qputenv("XDG_CACHE_HOME", dir.path().toLocal8Bit());
    struct NsfClasses : IComClassFactory {
        fs::path programDir;
        std::shared_ptr<IDispatchObject> CreateByClass(const std::u16string&) override {
            return store::CreateSession(programDir, importer::DominoDatabaseReader());
        }
    } nsfClasses;
    nsfClasses.programDir = root / "program";
    TNotesSession nsfSession(nsfClasses);
    nsfSession.Initialize(u"");
    if (QFile::exists(kNsfSample)) {
        importer::CacheDominoDatabase(kNsfSample.toStdU16String()); // as opening it in the window does
        g_nsfSession = &nsfSession;
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nbrowse: pages of %d documents with 10 columns from a view of %d, best of 10 (target <= 20 ms)\n",
                kPageSize, kDocuments);
    for (const auto& [name, ms] : g_bestMs)
        std::printf("%s %.2f\n", name.c_str(), ms);
    return 0;
}
