#include "core/modGremlok.h"
#include "shell/frmMain.h"

void frmMain::mnuTimedFight_Click() {}
void frmMain::mnuPause_Click() {}

namespace modGremlok {
void ScheduleFight(int32_t, int16_t) {}
void StopFightTimer() {}
void FightTimerProc() {}
} // namespace modGremlok
