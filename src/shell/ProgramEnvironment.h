// The real back ends the program runs with (the registry beside the executable or Windows' own,
// the class factory with the local Domino store, Qt dialogs, the progress window and the
// desktop's services), and the program's one start-up path.
#pragma once

#include "shell/main.h"

#include <functional>
#include <memory>

class ProgramEnvironment {
public:
    ProgramEnvironment();
    ~ProgramEnvironment();

    MainEnvironment environment();
    // The main window on these back ends, centred on the screen; message boxes, dialogs and the
    // progress window belong to it.
    std::unique_ptr<TfrmMain> createMainWindow();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

// Starts the program: the application object, the back ends, the main window shown maximised;
// then ready (when given) with the window and its progress message, and the event loop. Without
// a display it says so on standard error and returns 2.
int RunProgram(int argc, char** argv, const std::function<void(TfrmMain&, IProgress&)>& ready = {});
