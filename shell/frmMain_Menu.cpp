#include "shell/frmMain.h"
#include "fight/frmDesktop.h"

void frmMain::mnuFightNow_Click() { frmDesktop::instance().Show(); }
void frmMain::mnuOptions_Click() {}
void frmMain::mnuBestTimes_Click() {}
void frmMain::mnuHelpTopics_Click() {}
void frmMain::mnuAboutGremlok_Click() {}
void frmMain::mnuExit_Click() { close(); }
void frmMain::Form_QueryUnload(bool&, int) {}
