#include "shell/TrayStatus.h"

#include "core/modGremlok.h"
#include "platform/Trace.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"

#include <QIcon>

using namespace modGremlok;

namespace {
int currentIcon = 0;

void setStatus(frmMain& main, int icon, const QString& tip)
{
    currentIcon = icon;
    main.SysTray->setIcon(QIcon(main.IconList.ListImage(icon).Picture));
    platform::Trace("tray.icon", QString::number(icon));
    main.SysTray->setToolTip(tip);
}
} // namespace

namespace TrayStatus {
int CurrentIcon() { return currentIcon; }
} // namespace TrayStatus

namespace modGremlok {

void UpdateTrayStatus()
{
    frmMain* mainForm = frmMain::existing();
    if (!mainForm || !mainForm->SysTray)
        return;
    frmMain& main = *mainForm;
    platform::Winsock& sock = *main.Winsock;

    const QString& T = AppTitle;
    const QString S = IsWin2000OrLater ? QStringLiteral("\r\n") : QStringLiteral(" - ");
    const QString P = OpponentNickname + QStringLiteral(" [") + sock.RemoteHostIP() + QStringLiteral("]");
    const bool connected = main.mnuDisconnect->isVisible();
    const bool timed = main.mnuTimedFight->isChecked();
    const bool listening = main.mnuListen->isChecked();
    const int state = sock.State();

    if (state == platform::Winsock::sckResolvingHost || state == platform::Winsock::sckConnecting
        || CommandLineConnect)
        setStatus(main, 7, T + QStringLiteral(" (connecting to ") + sock.RemoteHost() + QStringLiteral(")"));
    else if (connected && main.mnuPause->isChecked())
        setStatus(main, 6, T + QStringLiteral(" (away)") + S + P);
    else if (connected && OpponentAway)
        setStatus(main, 5, T + QStringLiteral(" (opponent is away)") + S + P);
    else if (connected)
        setStatus(main, 4, T + QStringLiteral(" (connected)") + S + P);
    else if (timed && !listening)
        setStatus(main, 2, T + QStringLiteral(" (timed fight)"));
    else if (timed && listening)
        setStatus(main, 2, T + QStringLiteral(" (timed fight/available)") + S + QStringLiteral("IP: ") + sock.LocalIP());
    else if (!timed && !listening)
        setStatus(main, 1, T);
    else
        setStatus(main, 3, T + QStringLiteral(" (available)") + S + QStringLiteral("IP: ") + sock.LocalIP());
}

} // namespace modGremlok
