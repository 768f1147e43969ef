// The back ends the programs (the window and the command-line export) run on: the registry (the
// file in the settings folder, or Windows' own), the class factory that starts the local Domino
// store or, on Windows, a registered Domino Objects server, and the spreadsheet automation.
// Where neither Notes nor Domino is installed they run on the program's own installation, so that
// database files still open.
#pragma once

#include "interfaces/ComClassFactory.h"
#include "interfaces/Registry.h"
#include "interfaces/SpreadsheetAutomation.h"

#include <QString>

#include <memory>

// The program's own installation in settingsFolder: the local store's component file and a
// notes.ini naming an empty data folder, made where missing; no server, so a server log-on fails
// as for one that does not answer. Returns its program folder; raises std::runtime_error when it
// cannot be made.
QString MakeOwnInstallation(const QString& settingsFolder);

class BackEnds {
public:
    // settingsFolder: where registry.reg lives (on systems other than Windows). The registry is
    // the system's where it knows Notes or Domino, else the program's own installation's.
    explicit BackEnds(const QString& settingsFolder);
    // On the installation of the local store in programDir (its notes.ini names the data folder),
    // whatever the registry holds. Raises std::runtime_error when it is no such installation.
    BackEnds(const QString& settingsFolder, const QString& programDir);
    ~BackEnds();

    // Why the program's own installation, needed, could not be made; empty when it was not needed
    // or was made.
    const QString& ownInstallationProblem() const;

    IRegistry& registry();
    IComClassFactory& comFactory();
    ISpreadsheetAutomation& spreadsheet();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};
