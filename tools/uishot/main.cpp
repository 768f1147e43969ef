// Puts the program into a state that is hard to reach by clicking, for screenshots under Xvfb:
//   uishot progress   the main window with the progress window up, as during a long connect
//   uishot blocking   the same, but the user-interface thread then stays busy for 6 seconds
//                     without returning to the event loop, as a slow log-on does
// It runs with the program's own back ends (the demo installation beside the executable).
#include "shell/main.h"
#include "shell/AppText.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/ProgramEnvironment.h"
#include "shell/WaitMsg.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool blocking = argc >= 2 && std::strcmp(argv[1], "blocking") == 0;
    if (argc < 2 || (!blocking && std::strcmp(argv[1], "progress") != 0)) {
        std::fprintf(stderr, "usage: uishot progress|blocking\n");
        return 2;
    }
    VerdanixApplication app(argc, argv);
    app.setApplicationName(kAppTitle);
    ProgramEnvironment program;
    const auto frmMain = program.createMainWindow();
    frmMain->show();
    QTimer::singleShot(500, [blocking] {
        ShowWaitMsgText(QStringLiteral("正在连接Domino服务器"));
        if (blocking) {
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < 6000) {
            }
        }
    });
    return app.exec();
}
