#include "shell/ProgramEnvironment.h"

#include "platform/ComClassFactory.h"
#include "platform/QtPrompter.h"
#include "platform/Registry.h"
#include "shell/FormRunner.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/dominointerface.h"
#include "store/LocalStore.h"

#ifdef _WIN32
#include "platform/win32/Win32ComClassFactory.h"
#endif

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

struct ProgramEnvironment::Parts {
#ifdef _WIN32
    // COM for this thread, before any object exists and after every one is gone.
    ComApartment apartment;
#endif
    QString exeDir = QCoreApplication::applicationDirPath();
    std::unique_ptr<IRegistry> registry = CreateSystemRegistry(exeDir.toStdU16String());
    PortableComClassFactory portableFactory{*registry};
#ifdef _WIN32
    // The real Domino Objects server where one is registered, the local store where ours is.
    Win32ComClassFactory systemFactory;
    ChoosingComClassFactory comFactory{*registry, portableFactory, systemFactory};
#else
    PortableComClassFactory& comFactory = portableFactory;
#endif
    QtPrompter prompter;
    QtFormRunner forms;
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
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    return window;
}
