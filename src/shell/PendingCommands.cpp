// Commands whose work is not built yet: each does nothing, as a command with nothing to work on.
#include "shell/main.h"

void TfrmMain::openfileExecute() {}
void TfrmMain::exportExecute() {}
void TfrmMain::TreeView1Click() {}
void TfrmMain::ListView1DblClick() {}
void TfrmMain::ToolButton11Click() {}
void TfrmMain::ToolButton7Click() {}
void TfrmMain::ToolButton8Click() {}
void TfrmMain::ToolButton9Click() {}
void TfrmMain::ToolButton10Click() {}
