// The back ends the programs (the window and the command-line export) run on: the registry (the
// file in the settings folder, or Windows' own), the class factory that starts the local Domino
// store or, on Windows, a registered Domino Objects server, and the spreadsheet automation.
#pragma once

#include "interfaces/ComClassFactory.h"
#include "interfaces/Registry.h"
#include "interfaces/SpreadsheetAutomation.h"

#include <QString>

#include <memory>

class BackEnds {
public:
    // settingsFolder: where registry.reg lives (on systems other than Windows).
    explicit BackEnds(const QString& settingsFolder);
    ~BackEnds();

    IRegistry& registry();
    IComClassFactory& comFactory();
    ISpreadsheetAutomation& spreadsheet();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};
