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
    // Message boxes and dialogs are parented to the main window once it exists.
    void setMainWindow(QWidget* window);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};
