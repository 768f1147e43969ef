// Speed of the local store on a database of 100,000 documents:
//  - creating it from a JSON description as nsftool create does (documents a second);
//  - fetching the first and the 50,000th document of a sorted view of all of them;
//  - reading a page of 2,000 documents with their universal IDs and 10 column values.
// Each figure is printed on a line of its own at the end.
#include "store/Description.h"
#include "store/LocalStore.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kDocuments = 100000;
constexpr int kPage = 2000;

std::map<std::string, double> g_figures;
std::shared_ptr<ISession> g_session;
std::shared_ptr<IView> g_view;

QByteArray Description(int count) {
    QJsonArray columns;
    const char* items[] = {"Name", "Company", "Department", "Phone", "Email", "Amount", "Due", "Tags", "City", "Code"};
    for (int i = 0; i < 10; ++i) {
        QJsonObject column{{"title", items[i]}, {"item", items[i]}};
        if (i == 0)
            column["sort"] = "ascending";
        columns.append(column);
    }
    QJsonArray views{QJsonObject{{"name", "By name"}, {"selection", "SELECT Form = \"Contact\""}, {"columns", columns}},
                     QJsonObject{{"name", "($All)"}, {"columns", QJsonArray{QJsonObject{{"title", "Name"}}}}}};
    QJsonArray documents;
    for (int i = 0; i < count; ++i) {
        const int key = static_cast<int>((static_cast<long long>(i) * 7919) % count);
        QJsonArray itemList{
            QJsonObject{{"name", "Name"}, {"value", QStringLiteral("客户%1").arg(key, 6, 10, QLatin1Char('0'))}},
            QJsonObject{{"name", "Company"}, {"value", QStringLiteral("华信科技 %1").arg(i % 97)}},
            QJsonObject{{"name", "Department"}, {"value", "销售部"}},
            QJsonObject{{"name", "Phone"}, {"value", QJsonArray{"010-62345678", "13800138000"}}},
            QJsonObject{{"name", "Email"}, {"value", QStringLiteral("c%1@example.com").arg(i)}},
            QJsonObject{{"name", "Amount"}, {"value", i * 1.5}},
            QJsonObject{{"name", "Due"}, {"type", "datetime"}, {"value", "2025-03-01T09:30:00"}},
            QJsonObject{{"name", "Tags"}, {"value", QJsonArray{"VIP", "华东"}}},
            QJsonObject{{"name", "City"}, {"value", "上海"}},
            QJsonObject{{"name", "Code"}, {"value", i}},
        };
        documents.append(QJsonObject{{"form", "Contact"}, {"items", itemList}});
    }
    return QJsonDocument(QJsonObject{{"title", "Bench"}, {"views", views}, {"documents", documents}})
        .toJson(QJsonDocument::Compact);
}

void BM_FetchNth(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto doc = g_view->GetNthDocument(n);
        benchmark::DoNotOptimize(doc->UniversalID());
    }
    state.SetLabel("document " + std::to_string(n));
}
BENCHMARK(BM_FetchNth)->Arg(1)->Arg(50000)->Unit(benchmark::kMicrosecond);

void BM_ReadPage(benchmark::State& state) {
    const int start = static_cast<int>(state.range(0));
    for (auto _ : state) {
        int read = 0;
        // As the program's list does: the view's size is read again for every loop test.
        for (auto doc = g_view->GetNthDocument(start); doc && read < kPage && read < g_view->AllEntries()->Count();
             doc = g_view->GetNextDocument(doc)) {
            benchmark::DoNotOptimize(doc->UniversalID());
            benchmark::DoNotOptimize(doc->ColumnValues());
            ++read;
        }
        if (read != kPage)
            state.SkipWithError("short page");
    }
    state.counters["docs_per_second"] =
        benchmark::Counter(static_cast<double>(kPage) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadPage)->Arg(1)->Arg(50001)->Unit(benchmark::kMillisecond);

// Collects each benchmark's time for the summary.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            const double seconds = run.GetAdjustedRealTime() / (run.time_unit == benchmark::kMillisecond   ? 1e3
                                                                : run.time_unit == benchmark::kMicrosecond ? 1e6
                                                                                                           : 1e9);
            g_figures[run.benchmark_name()] = seconds;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdU16String());
    fs::create_directories(root / "program");
    fs::create_directories(root / "data");
    std::ofstream(root / "program" / "notes.ini")
        << "[Notes]\nDirectory=" << (root / "data").string() << "\nServerName=CN=Bench/O=Verdanix\n";

    // STORE_BENCH_REUSE=<file> reads an existing database instead of creating one (for profiling).
    const char* reuse = std::getenv("STORE_BENCH_REUSE");
    QByteArray json;
    double createSeconds = 0;
    if (reuse && fs::exists(reuse)) {
        fs::copy_file(reuse, root / "data" / "bench.nsf");
    } else {
        json = Description(kDocuments);
        const auto start = std::chrono::steady_clock::now();
        store::CreateDatabaseFromJson(root / "data" / "bench.nsf", json, root);
        createSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (reuse)
            fs::copy_file(root / "data" / "bench.nsf", reuse);
    }

    g_session = store::CreateSession(root / "program");
    g_session->Initialize(u"");
    g_view = g_session->GetDatabase(u"", u"bench.nsf", false)->GetView(u"By name");
    if (g_view->AllEntries()->Count() != kDocuments) {
        std::fprintf(stderr, "view holds %d documents\n", g_view->AllEntries()->Count());
        return 1;
    }

    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nstore: %d documents, JSON description of %.1f MB\n", kDocuments, json.size() / 1048576.0);
    if (createSeconds > 0) {
        std::printf("create_docs_per_second %.0f\n", kDocuments / createSeconds);
        std::printf("create_seconds %.3f\n", createSeconds);
    }
    for (const auto& [name, seconds] : g_figures) {
        if (name.rfind("BM_FetchNth", 0) == 0)
            std::printf("fetch_%s_ms %.4f\n", name.substr(12).c_str(), seconds * 1e3);
        else if (name.rfind("BM_ReadPage", 0) == 0) {
            std::printf("page_of_2000_from_%s_ms %.2f\n", name.substr(12).c_str(), seconds * 1e3);
            std::printf("page_from_%s_docs_per_second %.0f\n", name.substr(12).c_str(), kPage / seconds);
        }
    }
    g_view.reset();
    g_session.reset();
    return 0;
}
