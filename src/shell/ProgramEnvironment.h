// The real back ends the program runs with: the registry beside the executable (or Windows'
// own), the class factory with the local Domino store, Qt dialogs and the desktop's services.
#pragma once

#include "shell/main.h"

#include <memory>

class QWidget;

class ProgramEnvironment {
public:
    ProgramEnvironment();
    ~ProgramEnvironment();

    MainEnvironment environment();
    // The main window on these back ends, centred on the screen; message boxes and dialogs
    // are parented to it.
    std::unique_ptr<TfrmMain> createMainWindow();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};
