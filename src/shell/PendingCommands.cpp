// Commands whose work is not built yet: each does nothing, as a command with nothing to work on.
#include "shell/main.h"

void TfrmMain::exportExecute() {}
