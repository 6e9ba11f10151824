// The program's one way of telling the player about the link: a tray balloon where the
// notification area shows them, otherwise the popup beside the panel. Balloons need a tray
// that holds the icon right now: Qt offers them on X11 even with no tray at all, and such a
// balloon is never seen.
#include "core/modGremlok.h"
#include "net/frmInstMessage.h"
#include "platform/Trace.h"
#include "platform/TrayHost.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"

namespace modGremlok {

void ShowBalloon(const QString& title, const QString& text, int timeoutMs)
{
    QString traced = text;
    platform::Trace("notify", title + QLatin1Char('|') + traced.replace(QLatin1String("\r\n"), QLatin1String("\\n")));
    frmMain* main = frmMain::existing();
    if (IsWin2000OrLater && main && main->SysTray && platform::TrayHostPresent()) {
        main->SysTray->BalloonTitle = title;
        main->SysTray->BalloonText = text;
        main->SysTray->BalloonIcon = 1;
        main->SysTray->ShowBalloon(timeoutMs);
        return;
    }
    // A new notification replaces the one on screen, with a fresh time.
    if (frmInstMessage* old = frmInstMessage::existing()) {
        frmInstMessage::release();
        Q_UNUSED(old);
    }
    frmInstMessage& popup = frmInstMessage::instance();
    popup.setBalloonText(text);
    popup.setBalloonTitle(title);
    popup.AdjustSize();
    popup.setBalloonTimeout(timeoutMs);
    popup.show();
}

} // namespace modGremlok
