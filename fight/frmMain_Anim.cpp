#include "shell/frmMain.h"

void frmMain::tmrAnimAttack_Timer() {}
void frmMain::tmrAnimDie_Timer() {}
