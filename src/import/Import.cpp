#include "import/Import.h"

#include "import/DxlImport.h"
#include "import/DxlSource.h"
#include "import/ImportTarget.h"
#include "import/NsfImport.h"
#include "import/ReportText.h"
#include "interfaces/FileSystem.h"
#include "platform/WholeFile.h"
#include "store/DatabaseWriter.h"

#include <algorithm>
#include <cctype>

namespace importer {

using namespace store;

namespace fs = std::filesystem;
using namespace dxl;

namespace {

bool EndsWithNsf(const fs::path& file) {
    std::string extension = PathText(file.extension());
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".nsf";
}

} // namespace

ImportReport Import(const std::vector<fs::path>& inputs, const fs::path& target, bool append) {
    ImportReport report;
    if (const auto problem = TargetProblem(target))
        throw ImportError(*problem);
    const std::vector<fs::path> files = InputFiles(inputs);
    if (files.empty())
        throw ImportError(report_text::NoDxlFiles().toStdString());
    std::error_code ec;
    const bool appending = append && fs::exists(target, ec);
    // Appending works on a copy, put in place only when everything imported.
    const fs::path work = appending ? fs::path(target) += ".importing" : target;
    if (appending) {
        // A run that was killed left its copy and journal: the target itself was never touched.
        if (fs::exists(work, ec) || fs::exists(fs::path(work) += "-journal", ec)) {
            RemoveWorkFiles(work);
            report.notes.push_back(report_text::WorkCopyCleared().toStdString());
        }
        if (!fs::copy_file(target, work, fs::copy_options::overwrite_existing, ec))
            throw ImportError(
                report_text::CannotCopy(QtPath(target), QString::fromStdU16String(SystemErrorText(ec))).toStdString());
    }
    try {
        auto writer = appending ? DatabaseWriter::Open(work) : DatabaseWriter::Create(target, u"Imported DXL");
        ImportTarget into(*writer, report, appending);
        for (const auto& file : files) {
            if (IsDominoDatabaseFile(file))
                ImportDominoDatabase(file, into);
            else if (EndsWithNsf(file))
                throw ImportError(report_text::NeitherDatabaseNorDxl(QtPath(file)).toStdString());
            else
                ImportDxlFile(file, into);
        }
        into.finish();
        writer->commit();
    } catch (...) {
        if (appending)
            RemoveWorkFiles(work);
        throw;
    }
    if (appending) {
        if ((ec = MoveIntoPlace(work, target))) {
            RemoveWorkFiles(work);
            throw ImportError(report_text::CannotReplace(QtPath(target), QString::fromStdU16String(SystemErrorText(ec)))
                                  .toStdString());
        }
    }
    return report;
}

std::string DescribeImport(const ImportReport& report) {
    std::string text =
        report_text::Summary(report.documents, report.items, report.attachments, report.pictures, report.views)
            .toStdString() +
        "\n";
    // One line for each note, whatever names it quotes: the lines are counted.
    for (std::string line : report.notes) {
        std::replace_if(
            line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        text += "  " + line + "\n";
    }
    return text;
}

} // namespace importer
