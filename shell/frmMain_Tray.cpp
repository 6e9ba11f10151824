#include "shell/frmMain.h"

#include "core/modGremlok.h"
#include "fight/FightMemory.h"
#include "fight/frmDesktop.h"
#include "platform/Trace.h"
#include "platform/Winsock.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

using namespace modGremlok;

namespace {

// The marker on tmrSysTrayLeftButton: a double click was just handled, so the button-up that
// follows it is part of the double click, not a new single click.
const QString DoubleClickMark = QStringLiteral("y");

// A window of ours that the player should get back to: the active one, else a visible
// top-level window other than the hidden main window and the menus.
QWidget* dialogWindow()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    if (QWidget* w = QApplication::activeWindow())
        return w;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !qobject_cast<QMenu*>(w) && w != frmMain::existing())
            return w;
    }
    return nullptr;
}

void bringForward(QWidget* w)
{
    if (!w)
        return;
    w->raise();
    w->activateWindow();
}

} // namespace

bool frmMain::TrayIconBusy() const
{
    if (DialogOpen || FightInProgress || MessageBoxOpen || CommandLineConnect)
        return true;
    switch (Winsock->State()) {
    case platform::Winsock::sckResolvingHost:
    case platform::Winsock::sckHostResolved:
    case platform::Winsock::sckConnecting:
    case platform::Winsock::sckClosing:
        return true;
    case platform::Winsock::sckConnected:
        // Connected, but the peer's greeting has not arrived yet.
        return OpponentNickname.isEmpty();
    default:
        return false;
    }
}

void frmMain::SysTray_MouseUp(int Button)
{
    // The button-up that ends a double click only consumes the marker, even if the double
    // click has made the icon busy meanwhile (a fight started): otherwise the marker would
    // stay and swallow the next single click.
    if (Button == 1 && tmrSysTrayLeftButton->Tag == DoubleClickMark) {
        tmrSysTrayLeftButton->Tag.clear();
        return;
    }
    if (TrayIconBusy())
        return;
    // Windows needs the hidden window brought to the front and a message posted to it so that
    // the menu closes when clicked away from; Qt's popup grab already does that here.
    if (Button == 1) {
        // A menu or a double click follows, either of which may start a fight.
        FightMemory::PrepareCapture();
        tmrSysTrayLeftButton->setEnabled(true);
    } else if (Button == 2) {
        // Opened once the icon's own mouse event is over: a choice in this menu (Exit) takes
        // the icon out of the tray, which destroys the window that event belongs to.
        QMetaObject::invokeMethod(this, [this] {
            if (TrayIconBusy())
                return;
            platform::Trace("tray.menu", "right");
            PopupMenu(mnuSysTrayRightButton);
            platform::Trace("tray.menu", "closed");
        }, Qt::QueuedConnection);
    }
}

void frmMain::SysTray_DblClick(int Button)
{
    if (Button != 1)
        return;
    // A double click never opens the left menu, whatever it does otherwise.
    tmrSysTrayLeftButton->Tag = DoubleClickMark;
    tmrSysTrayLeftButton->setEnabled(false);

    if (DialogOpen || FightInProgress || MessageBoxOpen) {
        if (DialogOpen) {
            bringForward(dialogWindow());
        } else if (MessageBoxOpen) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->windowTitle() == AppTitle) {
                    bringForward(w);
                    break;
                }
            }
        }
        return;
    }
    // Unlike a single click, a double click still acts while a link is being set up: the
    // connecting window is open then (and comes forward above), and during the listener's
    // handshake it switches away mode, whose message follows the greeting already sent.
    platform::Trace("tray.dblclick", mnuFightNow->isEnabled() ? "fight" : mnuListen->isVisible() ? "timed" : "away");
    if (mnuFightNow->isEnabled())
        mnuFightNow_Click();
    else if (mnuListen->isVisible())
        mnuTimedFight_Click();
    else
        mnuPause_Click();
}

void frmMain::tmrSysTrayLeftButton_Timer()
{
    tmrSysTrayLeftButton->setEnabled(false);
    // Something may have started during the wait (a timed fight, a peer's request).
    if (TrayIconBusy())
        return;
    platform::Trace("tray.menu", "left");
    PopupMenu(mnuSysTrayLeftButton, mnuFightNow);
    platform::Trace("tray.menu", "closed");
}
