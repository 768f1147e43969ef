// Speed and memory of the DXL import: a generated DXL file of 100,000 documents (text, numbers,
// dates, rich text, and an attachment in every tenth) imported into a new store database. Files
// of 10,000 and 1,000,000 documents (9 and 893 MB) are imported too, so that the peak memory can
// be compared: it should not grow with the file, as the writer keeps at most 16 MB of database
// pages and 50,000 pending view entries (and as many of a view's stored ones) in memory. Each
// figure is printed on a line of its own.
#include "import/Import.h"

#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void WriteDxl(const fs::path& file, int documents) {
    std::ofstream out(file, std::ios::binary);
    out << "<?xml version='1.0' encoding='utf-8'?>\n<database xmlns='http://www.lotus.com/dxl' version='9.0'>\n"
           "<view name='By subject'><code event='selection'><formula>SELECT Form = \"Memo\"</formula></code>"
           "<column sort='ascending' itemname='Subject'><columnheader title='Subject'/></column></view>\n";
    const std::string attachment(2000, 'Q'); // base64 text of 1,500 bytes
    char unid[33];
    for (int i = 0; i < documents; ++i) {
        std::snprintf(unid, sizeof unid, "%032X", i + 1);
        out << "<document form='Memo'><noteinfo noteid='" << i << "' unid='" << unid
            << "' sequence='1'><created><datetime>20240301T093000,00+08</datetime></created>"
               "<modified><datetime>20240302T101500,00+08</datetime></modified></noteinfo>\n"
               "<item name='Subject' summary='true'><text>季度报告 "
            << i << "</text></item>\n<item name='Tags'><textlist><text>VIP</text><text>华东</text></textlist></item>\n"
            << "<item name='Amount'><number>" << i * 1.5 << "</number></item>\n"
            << "<item name='Due'><datetime>20250301T093000,00+08</datetime></item>\n"
            << "<item name='Body'><richtext><pardef id='1'/><par def='1'>正文第一段 paragraph of the memo number " << i
            << ".</par><par def='1'>Second paragraph with some more words in it.</par></richtext></item>\n";
        if (i % 10 == 0)
            out << "<item name='$FILE' summary='true'><object><file hosttype='msdos' name='a" << i
                << ".txt'><filedata>\n"
                << attachment << "\n</filedata></file></object></item>\n";
        out << "</document>\n";
    }
    out << "</database>\n";
}

void Run(const fs::path& dir, int documents) {
    const fs::path dxl = dir / ("bench" + std::to_string(documents) + ".xml");
    WriteDxl(dxl, documents);
    const double megabytes = static_cast<double>(fs::file_size(dxl)) / 1048576.0;
    const auto start = std::chrono::steady_clock::now();
    const auto report = importer::Import({dxl}, dir / ("bench" + std::to_string(documents) + ".nsf"), false);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (report.documents != documents)
        std::fprintf(stderr, "imported %lld of %d documents\n", static_cast<long long>(report.documents), documents);
    std::printf("import_%d_dxl_mb %.1f\n", documents, megabytes);
    std::printf("import_%d_mb_per_second %.1f (goal >= 35)\n", documents, megabytes / seconds);
    std::printf("import_%d_docs_per_second %.0f\n", documents, documents / seconds);
    std::printf("import_%d_peak_memory_mb %.1f\n", documents, PeakMegabytes());
    fs::remove(dxl);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdU16String());
    std::printf("import: generated DXL with text, numbers, dates, rich text and an attachment in every tenth "
                "document (target: 30 MB/s, memory that does not grow with the file)\n");
    // An argument imports a file of that many documents alone (memory at other sizes).
    if (argc > 1) {
        Run(root, std::atoi(argv[1]));
        return 0;
    }
    Run(root, 10000);
    Run(root, 100000);
    Run(root, 1000000);
    return 0;
}
