#include "assembly/BackEnds.h"

#include "import/NsfCache.h"
#include "platform/ComClassFactory.h"
#include "platform/Registry.h"
#include "store/LocalStore.h"
#include "xls/XlsSpreadsheetAutomation.h"

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

} // namespace

struct BackEnds::Parts {
#ifdef _WIN32
    // COM for this thread, before any object exists and after every one is gone.
    ComApartment apartment;
#endif
    explicit Parts(const QString& folder) : registry(CreateSystemRegistry(folder)) {}

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

BackEnds::BackEnds(const QString& settingsFolder) : m_parts(std::make_unique<Parts>(settingsFolder)) {
    store::RegisterLocalStore(m_parts->portableFactory, importer::DominoDatabaseReader());
}

BackEnds::~BackEnds() = default;

IRegistry& BackEnds::registry() {
    return *m_parts->registry;
}

IComClassFactory& BackEnds::comFactory() {
    return m_parts->comFactory;
}

ISpreadsheetAutomation& BackEnds::spreadsheet() {
    return m_parts->spreadsheet;
}
