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
//
// --language zh|en anywhere chooses the language of the messages and reports (else the one kept
// in system.ini).
#include "Demo.h"
#include "Dump.h"
#include "NativeDump.h"

#include "import/Import.h"
#include "platform/Folders.h"
#include "platform/Language.h"
#include "platform/System.h"
#include "store/Description.h"
#include "store/Messages.h"
#include "store/StoreFile.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>
#include <cstring>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

// Exit statuses of import besides 0 and the usage's 2.
constexpr int kFailed = 1;
constexpr int kReadWithLosses = 6;
constexpr int kNothingRead = 7;

int Usage() {
    std::cerr << QCoreApplication::translate("nsftool", "用法：").toStdString()
              << "\n"
                 "  nsftool create <file.nsf> <description.json>\n"
                 "  nsftool demo <installRoot> <exeDir> [--force]\n"
                 "  nsftool dump <file.nsf> [maxEntries]\n"
                 "  nsftool import [--append] <file.dxl|folder>... <file.nsf>\n"
                 "  nsftool read <file.nsf>\n"
                 "  --language zh|en\n";
    return 2;
}

void Fail(const QString& message) {
    std::cerr << "nsftool: " << message.toStdString() << "\n";
}

std::filesystem::path Path(const char* arg) {
    return std::filesystem::path(QString::fromLocal8Bit(arg).toStdU16String());
}

int Create(const std::filesystem::path& nsf, const std::filesystem::path& description) {
    QFile file(QString::fromStdU16String(description.u16string()));
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(QCoreApplication::translate("nsftool", "无法读取 %1：%2")
                 .arg(QString::fromStdU16String(description.u16string()), file.errorString()));
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const int count = store::CreateDatabaseFromJson(nsf, file.readAll(), description.parent_path());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << QCoreApplication::translate("nsftool", "已创建 %1：%2 个文档，用时 %3 秒")
                     .arg(QString::fromStdU16String(nsf.u16string()))
                     .arg(count)
                     .arg(seconds)
                     .toStdString()
              << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    platform::UseUtf8Console();
    QCoreApplication app(argc, argv);
    const InterfaceLanguage language(
        CommandLineLanguage(app.arguments(), SettingsFilePath(SettingsFolder(QCoreApplication::applicationDirPath()))));
    // --language is read above; the commands read the rest.
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--language" && i + 1 < argc && LanguageNamed(QString::fromLocal8Bit(argv[i + 1]))) {
            ++i;
            continue;
        }
        if (argument.starts_with("--language=") && LanguageNamed(QString::fromLocal8Bit(argv[i] + 11)))
            continue;
        rest.push_back(argv[i]);
    }
    argc = static_cast<int>(rest.size());
    argv = rest.data();
    if (argc < 3)
        return Usage();
    try {
        const std::string command = argv[1];
        if (command == "create" && argc == 4)
            return Create(Path(argv[2]), Path(argv[3]));
        if (command == "demo" && (argc == 4 || (argc == 5 && std::strcmp(argv[4], "--force") == 0))) {
            const auto result = demo::BuildDemo(Path(argv[2]), Path(argv[3]), argc == 5);
            if (result.rebuilt)
                std::cout << QCoreApplication::translate("nsftool", "演示安装已建好：%1 个数据库，%2 个文档")
                                 .arg(result.databases)
                                 .arg(result.documents)
                                 .toStdString()
                          << "\n";
            else
                std::cout
                    << QCoreApplication::translate("nsftool", "演示安装已完整，无需再做（--force 重建）").toStdString()
                    << "\n";
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
            std::cout << importer::DescribeImport(report)
                      << QCoreApplication::translate("nsftool", "导入到 %1，用时 %2 秒")
                             .arg(QString::fromStdU16String(Path(argv[argc - 1]).u16string()))
                             .arg(seconds)
                             .toStdString()
                      << "\n";
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
        Fail(QStringLiteral("%1 (%2)").arg(QString::fromStdU16String(e.reason() == store::OpenError::Reason::Missing
                                                                         ? store::notes_text::FileDoesNotExist()
                                                                         : store::notes_text::NotADatabase()),
                                           QString::fromUtf8(e.what())));
        return 1;
    } catch (const importer::ImportError& e) {
        Fail(QString::fromUtf8(e.what()));
        return e.kind() == importer::ImportError::Kind::NothingRead ? kNothingRead : kFailed;
    } catch (const std::exception& e) {
        Fail(QString::fromUtf8(e.what()));
        return kFailed;
    }
    return Usage();
}
