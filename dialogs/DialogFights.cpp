#include "dialogs/DialogFights.h"

#include "core/modGremlok.h"
#include "shell/frmMain.h"

using namespace modGremlok;

namespace {
bool timedFightActive(const frmMain& m)
{
    return m.mnuTimedFight->isChecked() && m.mnuTimedFight->isEnabled();
}
bool sharedTimerActive(const frmMain& m)
{
    return m.mnuDisconnect->isVisible() && IsInitiator && !OpponentAway && !m.mnuPause->isChecked();
}
} // namespace

void SuspendAutomaticFights()
{
    frmMain& m = frmMain::instance();
    if (timedFightActive(m) || sharedTimerActive(m))
        StopFightTimer();
    DialogOpen = true;
}

void RearmAutomaticFights()
{
    frmMain& m = frmMain::instance();
    if (timedFightActive(m))
        ScheduleFight(TimedFightStart, TimedFightLength);
    if (sharedTimerActive(m))
        ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
    DialogOpen = false;
}
