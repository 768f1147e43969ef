#include "shell/ProgramEnvironment.h"

#include "access/AppText.h"
#include "access/VariantText.h"
#include "access/settings.h"
#include "assembly/BackEnds.h"
#include "assembly/dominointerface.h"
#include "browse/FormRunner.h"
#include "platform/Folders.h"
#include "platform/Language.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/QtPrompter.h"
#include "shell/WaitMsg.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

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

} // namespace

struct ProgramEnvironment::Parts {
    QString exeDir = SettingsFolder(QCoreApplication::applicationDirPath()); // system.ini, registry.reg
    BackEnds backEnds{exeDir};
    QtPrompter prompter;
    QtFormRunner forms;
    WaitMsgWindow progress;
};

ProgramEnvironment::ProgramEnvironment() : m_parts(std::make_unique<Parts>()) {
    if (auto* app = dynamic_cast<VerdanixApplication*>(QCoreApplication::instance()))
        app->setPrompter(&m_parts->prompter);
}

ProgramEnvironment::~ProgramEnvironment() {
    if (auto* app = dynamic_cast<VerdanixApplication*>(QCoreApplication::instance()))
        app->setPrompter(nullptr);
}

MainEnvironment ProgramEnvironment::environment() {
    MainEnvironment env;
    env.registry = &m_parts->backEnds.registry();
    env.prompter = &m_parts->prompter;
    env.progress = &m_parts->progress;
    env.spreadsheet = &m_parts->backEnds.spreadsheet();
    env.comFactory = &m_parts->backEnds.comFactory();
    env.forms = &m_parts->forms;
    env.exeDir = m_parts->exeDir;
    env.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    env.leftButtonDown = [] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); };
    env.openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    env.hostName = [] { return GetLocalHostName(); };
    env.installationProblem = m_parts->backEnds.ownInstallationProblem();
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
    UseChineseLocaleWhereNoneIsSet();
    const InterfaceLanguage language(
        LoadLanguage(SettingsFilePath(SettingsFolder(QCoreApplication::applicationDirPath()))));
    ProgramEnvironment program;
    const auto frmMain = program.createMainWindow();
    frmMain->showMaximized();
    if (ready)
        ready(*frmMain, *program.environment().progress);
    return app.exec();
}
