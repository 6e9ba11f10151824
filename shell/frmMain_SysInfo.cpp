#include "shell/frmMain.h"

#include "core/modGremlok.h"
#include "platform/SysInfo.h"
#include "platform/Trace.h"
#include "sound/SoundEffects.h"

using namespace modGremlok;

namespace {
// Restore marker on mnuTimedFight: timed fights were on before the machine slept.
const QString RestoreMark = QStringLiteral("True");
}

void frmMain::SysInfo_DeviceArrival()
{
    gSound->ReflectConfigChange();
}

void frmMain::SysInfo_DeviceRemoveComplete()
{
    gSound->ReflectConfigChange();
}

void frmMain::SysInfo_DisplayChanged()
{
    ReadScreenMetrics();
}

void frmMain::SysInfo_PowerSuspend()
{
    platform::Trace("power", "suspend");
    if (mnuDisconnect->isVisible())
        mnuDisconnect_Click();
    if (mnuTimedFight->isChecked()) {
        mnuTimedFight_Click();
        SetTag(mnuTimedFight, RestoreMark);
    }
}

void frmMain::SysInfo_PowerResume()
{
    platform::Trace("power", "resume");
    // Only if they are still off: a second resume must not switch them off again.
    if (!Tag(mnuTimedFight).isEmpty() && !mnuTimedFight->isChecked())
        mnuTimedFight_Click();
}

void frmMain::SysInfo_SettingChanged(int)
{
    tmrSysTrayLeftButton->setInterval(platform::SysInfo::DoubleClickTime());
}
