#include "shell/frmMain.h"

void frmMain::SysTray_MouseUp(int) {}
void frmMain::SysTray_DblClick(int) {}
bool frmMain::TrayIconBusy() const { return false; }
void frmMain::tmrSysTrayLeftButton_Timer() {}
