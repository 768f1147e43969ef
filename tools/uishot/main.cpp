// Puts the program into a state that is hard to reach by clicking, for screenshots under Xvfb:
//   uishot progress   the main window with the progress window up, as during a long connect
//   uishot blocking   the same, but the user-interface thread then stays busy for 6 seconds
//                     without returning to the event loop, as a slow log-on does
// It starts as the program does, on its own back ends (the demo installation beside the
// executable).
#include "platform/Progress.h"
#include "shell/ProgramEnvironment.h"

#include <QCoreApplication>
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
    return RunProgram(argc, argv, [blocking](TfrmMain&, IProgress& progress) {
        QTimer::singleShot(500, [blocking, &progress] {
            progress.ShowWaitMsgText(QCoreApplication::translate("TfrmMain", "正在连接Domino服务器"));
            if (blocking) {
                QElapsedTimer busy;
                busy.start();
                while (busy.elapsed() < 6000) {
                }
            }
        });
    });
}
