// Program entry: the application object, the platform back ends, the main window.
#include "platform/ComClassFactory.h"
#include "platform/QtPrompter.h"
#include "platform/Registry.h"
#include "shell/AppText.h"
#include "shell/FormRunner.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/dominointerface.h"
#include "shell/main.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
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

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "verdanix: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                             "To run it without a screen and look at it, use scripts/screenshot.sh, which starts\n"
                             "the program under Xvfb on the demo installation and saves a screenshot.\n");
        return 2;
    }

    VerdanixApplication app(argc, argv);
    app.setApplicationName(kAppTitle);

    const QString exeDir = QCoreApplication::applicationDirPath();
    auto registry = CreateSystemRegistry(exeDir.toStdU16String());
    PortableComClassFactory comFactory(*registry);
    QtPrompter prompter;
    QtFormRunner forms;

    MainEnvironment env;
    env.registry = registry.get();
    env.prompter = &prompter;
    env.comFactory = &comFactory;
    env.forms = &forms;
    env.exeDir = exeDir;
    env.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    env.leftButtonDown = [] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton); };
    env.openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    env.hostName = [] { return GetLocalHostName(); };

    TfrmMain frmMain(env);
    prompter.setParent(&frmMain);
    app.setPrompter(&prompter);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frmMain.move(screen->availableGeometry().center() - frmMain.rect().center());
    frmMain.showMaximized();
    return app.exec();
}
