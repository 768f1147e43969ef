// nsftool: makes and inspects store databases.
//
//   nsftool create <file.nsf> <description.json>   a database from a JSON description
//   nsftool demo <installRoot> <exeDir> [--force]  the demo installation
//   nsftool dump <file.nsf> [maxEntries]           views and documents of a database
//   nsftool import [--append] <DXL...> <file.nsf>   documents and views of DXL files (or folders)
//                                                  and Domino database files; exit status 0 when
//                                                  everything was read, 6 when some of it was not
//                                                  (the report lists it), 7 when a database file's
//                                                  documents cannot be read at all, 1 on failure
//   nsftool read <file.nsf>                        what a Domino database file holds, as JSON
#include "Demo.h"
#include "Dump.h"
#include "NativeDump.h"

#include "store/Description.h"
#include "import/Import.h"
#include "store/StoreFile.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>
#include <cstring>
#include <iostream>

namespace {

// Exit statuses of import besides 0 and the usage's 2.
constexpr int kFailed = 1;
constexpr int kReadWithLosses = 6;
constexpr int kNothingRead = 7;

int Usage() {
    std::cerr << "usage:\n"
                 "  nsftool create <file.nsf> <description.json>\n"
                 "  nsftool demo <installRoot> <exeDir> [--force]\n"
                 "  nsftool dump <file.nsf> [maxEntries]\n"
                 "  nsftool import [--append] <file.dxl|folder>... <file.nsf>\n"
                 "  nsftool read <file.nsf>\n";
    return 2;
}

std::filesystem::path Path(const char* arg) {
    return std::filesystem::path(QString::fromLocal8Bit(arg).toStdU16String());
}

int Create(const std::filesystem::path& nsf, const std::filesystem::path& description) {
    QFile file(QString::fromStdU16String(description.u16string()));
    if (!file.open(QIODevice::ReadOnly)) {
        std::cerr << "nsftool: cannot read " << description.string() << ": " << file.errorString().toStdString()
                  << "\n";
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const int count = store::CreateDatabaseFromJson(nsf, file.readAll(), description.parent_path());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "created " << nsf.string() << ": " << count << " documents in " << seconds << " s\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return Usage();
    try {
        const std::string command = argv[1];
        if (command == "create" && argc == 4)
            return Create(Path(argv[2]), Path(argv[3]));
        if (command == "demo" && (argc == 4 || (argc == 5 && std::strcmp(argv[4], "--force") == 0))) {
            const auto result = demo::BuildDemo(Path(argv[2]), Path(argv[3]), argc == 5);
            if (result.rebuilt)
                std::cout << "demo installation built: " << result.databases << " databases, " << result.documents
                          << " documents\n";
            else
                std::cout << "demo installation is complete; nothing to do (--force rebuilds it)\n";
            return 0;
        }
        if (command == "import") {
            const bool append = argc > 2 && std::strcmp(argv[2], "--append") == 0;
            std::vector<std::filesystem::path> inputs;
            for (int i = append ? 3 : 2; i < argc - 1; ++i)
                inputs.push_back(Path(argv[i]));
            if (inputs.empty())
                return Usage();
            const auto start = std::chrono::steady_clock::now();
            const auto report = importer::Import(inputs, Path(argv[argc - 1]), append);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::cout << importer::DescribeImport(report) << "into " << Path(argv[argc - 1]).string() << " in " << seconds
                      << " s\n";
            return report.losses > 0 ? kReadWithLosses : 0;
        }
        if (command == "read" && argc == 3) {
            dump::DumpNativeDatabase(Path(argv[2]), std::cout);
            return 0;
        }
        if (command == "dump" && (argc == 3 || argc == 4)) {
            dump::DumpDatabase(Path(argv[2]), std::cout, argc == 4 ? std::atoi(argv[3]) : 20);
            return 0;
        }
    } catch (const store::OpenError& e) {
        std::cerr << "nsftool: "
                  << (e.reason() == store::OpenError::Reason::Missing ? "File does not exist"
                                                                      : "File is not a database")
                  << " (" << e.what() << ")\n";
        return 1;
    } catch (const importer::ImportError& e) {
        std::cerr << "nsftool: " << e.what() << "\n";
        return e.kind() == importer::ImportError::Kind::NothingRead ? kNothingRead : kFailed;
    } catch (const std::exception& e) {
        std::cerr << "nsftool: " << e.what() << "\n";
        return kFailed;
    }
    return Usage();
}
