#include "assembly/BackEnds.h"

#include "access/ErrorMessage.h"
#include "assembly/dominointerface.h"
#include "import/NsfCache.h"
#include "interfaces/DominoObjects.h"
#include "platform/PortableComClassFactory.h"
#include "platform/ProfileFile.h"
#include "platform/PortableRegistry.h"
#include "platform/WholeFile.h"
#include "store/LocalStore.h"
#include "xls/XlsSpreadsheetAutomation.h"

#include <QCoreApplication>
#include <QDir>

#ifdef _WIN32
#include "win32/Win32ComClassFactory.h"
#include "win32/Win32Registry.h"
#include "win32/Win32SpreadsheetAutomation.h"
#endif

#include <filesystem>

namespace {

#ifdef _WIN32
// The spreadsheet program where one is installed, else the program's own workbook writer.
class ChoosingSpreadsheetAutomation : public ISpreadsheetAutomation {
public:
    std::unique_ptr<ISpreadsheetApplication> CreateApplication(WorkbookFormat format) override {
        try {
            return m_program.CreateApplication(format);
        } catch (const EOleException&) {
            return m_writer.CreateApplication(format);
        }
    }

private:
    Win32SpreadsheetAutomation m_program;
    XlsSpreadsheetAutomation m_writer;
};
#endif

std::unique_ptr<IRegistry> CreateSystemRegistry([[maybe_unused]] const QString& settingsFolder) {
#ifdef _WIN32
    return std::make_unique<Win32Registry>();
#else
    return std::make_unique<FileRegistry>(std::filesystem::path(settingsFolder.toStdU16String()) / "registry.reg");
#endif
}

// The keys of an installation of the local store (the program's own, or one named), held in
// memory: made afresh on each start, they always name the installation as it is now.
std::unique_ptr<IRegistry> OwnInstallationRegistry(const QString& programDir, const QString& dataDir) {
    auto registry = std::make_unique<MemoryRegistry>();
    auto domino = registry->CreateKey(dominointerface::kDominoKey.toStdU16String());
    domino->WriteString(u"Path", QDir::toNativeSeparators(programDir).toStdU16String());
    domino->WriteString(u"DataPath", QDir::toNativeSeparators(dataDir).toStdU16String());
    registry->CreateKey(IComClassFactory::InprocServerKey(domino_ids::kNotesSessionClass))
        ->WriteString(u"", QDir::toNativeSeparators(ComponentFilePath(programDir)).toStdU16String());
    return registry;
}

} // namespace

QString MakeOwnInstallation(const QString& settingsFolder) {
    const QString root = QDir(settingsFolder).filePath(QStringLiteral("own-installation"));
    const QString program = root + QStringLiteral("/program"), data = root + QStringLiteral("/data");
    if (!QDir().mkpath(program) || !QDir().mkpath(data))
        throw std::runtime_error(QCoreApplication::translate("BackEnds", "无法创建文件夹：%1")
                                     .arg(QDir::toNativeSeparators(root))
                                     .toStdString());
    const std::filesystem::path component = FileSystemPath(ComponentFilePath(program));
    if (PortableComClassFactory::ComponentKind(component) != store::kComponentKind)
        PortableComClassFactory::WriteComponentFile(component, store::kComponentKind);
    ProfileFile notesIni(program + QStringLiteral("/notes.ini"));
    if (notesIni.ReadString(QStringLiteral("Notes"), QStringLiteral("Directory"), QString()).isEmpty())
        notesIni.WriteString(QStringLiteral("Notes"), QStringLiteral("Directory"), data);
    return program;
}

struct BackEnds::Parts {
#ifdef _WIN32
    // COM for this thread, before any object exists and after every one is gone.
    ComApartment apartment;
#endif
    Parts(const QString& folder, const QString& programDir)
        : registry(programDir.isEmpty() ? ChooseRegistry(folder) : NamedRegistry(programDir)) {}

    static std::unique_ptr<IRegistry> NamedRegistry(const QString& programDir) {
        const store::Installation named = store::ReadInstallation(programDir.toStdU16String());
        return OwnInstallationRegistry(programDir, QString::fromStdU16String(named.dataDir.u16string()));
    }

    // The system's registry where Notes or Domino is installed, else the program's own
    // installation's keys (or the system's again, with the reason, where those cannot be made).
    std::unique_ptr<IRegistry> ChooseRegistry(const QString& folder) {
        auto system = CreateSystemRegistry(folder);
        if (IsNotesInstalled(*system) || IsDominoInstalled(*system))
            return system;
        try {
            const QString program = MakeOwnInstallation(folder);
            return NamedRegistry(program);
        } catch (const std::exception& error) {
            ownInstallationProblem = ExceptionMessage(error);
            return system;
        }
    }

    QString ownInstallationProblem;
    std::unique_ptr<IRegistry> registry;
    PortableComClassFactory portableFactory{*registry};
#ifdef _WIN32
    // The real Domino Objects server where one is registered, the local store where ours is.
    Win32ComClassFactory systemFactory;
    ChoosingComClassFactory comFactory{*registry, portableFactory, systemFactory};
    ChoosingSpreadsheetAutomation spreadsheet;
#else
    PortableComClassFactory& comFactory = portableFactory;
    XlsSpreadsheetAutomation spreadsheet;
#endif
};

BackEnds::BackEnds(const QString& settingsFolder) : BackEnds(settingsFolder, QString()) {}

BackEnds::BackEnds(const QString& settingsFolder, const QString& programDir)
    : m_parts(std::make_unique<Parts>(settingsFolder, programDir)) {
    store::RegisterLocalStore(m_parts->portableFactory, importer::DominoDatabaseReader());
}

BackEnds::~BackEnds() = default;

const QString& BackEnds::ownInstallationProblem() const {
    return m_parts->ownInstallationProblem;
}

IRegistry& BackEnds::registry() {
    return *m_parts->registry;
}

IComClassFactory& BackEnds::comFactory() {
    return m_parts->comFactory;
}

ISpreadsheetAutomation& BackEnds::spreadsheet() {
    return m_parts->spreadsheet;
}
