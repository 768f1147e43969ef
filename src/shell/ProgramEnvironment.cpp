#include "shell/ProgramEnvironment.h"

#include "access/AppText.h"
#include "access/FormRunner.h"
#include "platform/ComClassFactory.h"
#include "platform/Registry.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/QtPrompter.h"
#include "shell/WaitMsg.h"
#include "shell/dominointerface.h"
#include "store/LocalStore.h"
#include "xls/XlsSpreadsheetAutomation.h"

#ifdef _WIN32
#include "win32/Win32ComClassFactory.h"
#include "win32/Win32Registry.h"
#include "win32/Win32SpreadsheetAutomation.h"
#endif

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

// Win32 on Windows, else the registry file beside the executable.
std::unique_ptr<IRegistry> CreateSystemRegistry([[maybe_unused]] const QString& exeDir) {
#ifdef _WIN32
    return std::make_unique<Win32Registry>();
#else
    return std::make_unique<FileRegistry>(std::filesystem::path(exeDir.toStdU16String()) / "registry.reg");
#endif
}

// On Linux a window needs a display; say so plainly instead of letting the toolkit abort.
bool HasDisplay() {
#if defined(__linux__)
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
#else
    return true;
#endif
}

// Qt's own texts (the buttons of message boxes, the file dialogs) in Chinese, as the rest of the
// program: from Qt's translations, or a "translations" folder beside the executable.
void LoadQtChinese(QApplication& app, QTranslator& translator) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    for (const QString& dir : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        if (translator.load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
            app.installTranslator(&translator);
            return;
        }
    }
}

#ifdef _WIN32
// The spreadsheet program where one is installed, else the program's own workbook writer.
class ChoosingSpreadsheetAutomation : public ISpreadsheetAutomation {
public:
    std::unique_ptr<ISpreadsheetApplication> CreateApplication() override {
        try {
            return m_program.CreateApplication();
        } catch (const EOleException&) {
            return m_writer.CreateApplication();
        }
    }

private:
    Win32SpreadsheetAutomation m_program;
    XlsSpreadsheetAutomation m_writer;
};
#endif

} // namespace

struct ProgramEnvironment::Parts {
#ifdef _WIN32
    // COM for this thread, before any object exists and after every one is gone.
    ComApartment apartment;
#endif
    QString exeDir = QCoreApplication::applicationDirPath();
    std::unique_ptr<IRegistry> registry = CreateSystemRegistry(exeDir);
    PortableComClassFactory portableFactory{*registry};
#ifdef _WIN32
    // The real Domino Objects server where one is registered, the local store where ours is.
    Win32ComClassFactory systemFactory;
    ChoosingComClassFactory comFactory{*registry, portableFactory, systemFactory};
#else
    PortableComClassFactory& comFactory = portableFactory;
#endif
#ifdef _WIN32
    ChoosingSpreadsheetAutomation spreadsheet;
#else
    XlsSpreadsheetAutomation spreadsheet;
#endif
    QtPrompter prompter;
    QtFormRunner forms;
    WaitMsgWindow progress;
};

ProgramEnvironment::ProgramEnvironment() : m_parts(std::make_unique<Parts>()) {
    store::RegisterLocalStore(m_parts->portableFactory);
    if (auto* app = dynamic_cast<VerdanixApplication*>(QCoreApplication::instance()))
        app->setPrompter(&m_parts->prompter);
}

ProgramEnvironment::~ProgramEnvironment() {
    if (auto* app = dynamic_cast<VerdanixApplication*>(QCoreApplication::instance()))
        app->setPrompter(nullptr);
}

MainEnvironment ProgramEnvironment::environment() {
    MainEnvironment env;
    env.registry = m_parts->registry.get();
    env.prompter = &m_parts->prompter;
    env.progress = &m_parts->progress;
    env.spreadsheet = &m_parts->spreadsheet;
    env.comFactory = &m_parts->comFactory;
    env.forms = &m_parts->forms;
    env.exeDir = m_parts->exeDir;
    env.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    env.leftButtonDown = [] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); };
    env.openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    env.hostName = [] { return GetLocalHostName(); };
    return env;
}

std::unique_ptr<TfrmMain> ProgramEnvironment::createMainWindow() {
    auto window = std::make_unique<TfrmMain>(environment());
    m_parts->prompter.setParent(window.get());
    m_parts->progress.setAnchor(window.get());
    m_parts->prompter.setProgress(&m_parts->progress);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    return window;
}

int RunProgram(int argc, char** argv, const std::function<void(TfrmMain&, IProgress&)>& ready) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "verdanix: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                             "To run it without a screen and look at it, use scripts/screenshot.sh, which starts\n"
                             "the program under Xvfb on the demo installation and saves a screenshot.\n");
        return 2;
    }
    VerdanixApplication app(argc, argv);
    app.setApplicationName(kAppTitle);
    QTranslator qtChinese;
    LoadQtChinese(app, qtChinese);
    ProgramEnvironment program;
    const auto frmMain = program.createMainWindow();
    frmMain->showMaximized();
    if (ready)
        ready(*frmMain, *program.environment().progress);
    return app.exec();
}
