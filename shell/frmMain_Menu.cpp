#include "shell/frmMain.h"
#include "skins/SkinPaths.h"

#include "core/modGremlok.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBestTimes.h"
#include "dialogs/frmOptions.h"
#include "dialogs/StatisticsModule.h"
#include "fight/FightRecorder.h"
#include "fight/Enemy.h"
#include "fight/Weapon.h"
#include "fight/frmDesktop.h"
#include "platform/Help.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/vbTrayIcon.h"
#include "sound/SoundEffects.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>

using namespace modGremlok;

void frmMain::mnuFightNow_Click()
{
    SetFightOrigin(FightOrigin::FightNow);
    frmDesktop::instance().Show();
}

void frmMain::mnuOptions_Click()
{
    frmOptions::Open();
}

void frmMain::mnuBestTimes_Click()
{
    frmBestTimes::instance().ShowModal();
}

void frmMain::mnuStatistics_Click()
{
    ShowStatistics();
}

void frmMain::mnuHelpTopics_Click()
{
    platform::Help::ShowContents(this);
}

void frmMain::mnuAboutGremlok_Click()
{
    frmAbout::instance().ShowModal();
}

namespace {

// Closes and forgets every window of the program except the hidden main window, whose turn
// comes last. Deferred: the exit may have been chosen from one of them.
void releaseWindows(QWidget* mainWindow)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == mainWindow || w->parentWidget() || qobject_cast<QMenu*>(w))
            continue;
        w->close();
        w->deleteLater();
    }
}

} // namespace

void frmMain::mnuExit_Click()
{
    // 1. The modes start-up restores, as they are now (before a link is closed).
    {
        platform::SettingsStore& reg = *SettingsStore;
        const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
        reg.SetValue(key, QStringLiteral("Difficulty"), int(Difficulty));
        reg.SetValue(key, QStringLiteral("TimedFight"), mnuTimedFight->isChecked());
        reg.SetValue(key, QStringLiteral("Listen"), mnuListen->isChecked());
        reg.SetValue(key, QStringLiteral("Skin"), Skin);
        reg.CloseKey(key);
    }
    // 2. and 3.
    if (mnuTimedFight->isChecked() && mnuTimedFight->isEnabled())
        StopFightTimer();
    if (mnuDisconnect->isVisible())
        mnuDisconnect_Click();
    // 4. and 5.
    SkinPaths::ClearSkinFolder(true);
    platform::Help::Quit();
    // 6. The icon leaves the notification area.
    if (SysTray) {
        SysTray->setEnabled(false);
        SysTray->setVisible(false);
    }
    platform::Trace("exit", "1");
    // 7. to 9. Windows, the icon and the shared objects. The icon and the windows go once
    // this handler has returned: it may run inside one of their events.
    releaseWindows(this);
    if (SysTray) {
        SysTray->deleteLater();
        SysTray = nullptr;
    }
    gWeapon.reset();
    gEnemy.reset();
    gSound.reset();
    SettingsStore.reset();
    // 10. The main window closes after this handler, and with it the process.
    // The window is destroyed once the event loop has stopped: events of its popup menus and
    // of the icon may still be on their way until then.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { frmMain::release(); });
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

void frmMain::Form_QueryUnload(bool& Cancel, int UnloadMode)
{
    // The desktop session ends (logout, shutdown): the peer must see the link close. The
    // modes are not written (only Exit writes them) and the close is never cancelled.
    if (UnloadMode == 2 && mnuDisconnect->isVisible())
        mnuDisconnect_Click();
    Cancel = false;
}
