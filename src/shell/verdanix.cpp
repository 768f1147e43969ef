// Program entry: the application object, the platform back ends, the main window.
#include "shell/AppText.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/ProgramEnvironment.h"
#include "shell/main.h"

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
    ProgramEnvironment program;

    const auto frmMain = program.createMainWindow();
    frmMain->showMaximized();
    return app.exec();
}
