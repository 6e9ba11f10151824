#include "shell/NoTrayCheck.h"

#include "core/Logging.h"
#include "core/modGremlok.h"
#include "dialogs/frmNoTray.h"
#include "platform/DesktopNotification.h"
#include "platform/Trace.h"
#include "platform/TrayHost.h"
#include "shell/frmMain.h"

#include <QElapsedTimer>
#include <QTimer>

using namespace modGremlok;

namespace NoTrayCheck {

namespace {

constexpr int kDefaultWaitMs = 10000;
constexpr int kPollMs = 500;

int waitMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("GREMLOK_NOTRAY_WAIT_MS", &ok);
    return ok && ms >= 0 ? ms : kDefaultWaitMs;
}

void tell(frmMain& m)
{
    if (platform::DesktopNotification::ServiceRunning()) {
        auto* n = new platform::DesktopNotification(&m);
        QObject::connect(n, &platform::DesktopNotification::ActionInvoked, &m, &NoticeAction);
        QObject::connect(n, &platform::DesktopNotification::Shown, &m, [](uint id) {
            platform::Trace("notray.notification", QString::number(id));
            // A service that refused it (or never answered) has told the player nothing.
            if (id == 0)
                frmNoTray::instance().ShowDialog();
        });
        n->Show(AppTitle, QStringLiteral("io.github.gremlok.Gremlok"),
                QStringLiteral("Gremlok is running without an icon"),
                QStringLiteral("This desktop has no notification area (system tray), so the Gremlok icon "
                               "and its menus cannot be shown. Add a notification area to your panel and "
                               "the icon appears there at once."),
                {{QStringLiteral("fight"), QStringLiteral("Fight Now!")},
                 {QStringLiteral("options"), QStringLiteral("Options...")}});
        platform::Trace("notray.notice", "notification");
    } else {
        frmNoTray::instance().ShowDialog();
        platform::Trace("notray.notice", "window");
    }
}

} // namespace

void Start()
{
    if (!platform::HasDesktop())
        return;
    frmMain& main = frmMain::instance();
    auto* poll = new QTimer(&main);
    QElapsedTimer since;
    since.start();
    const int wait = waitMs();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, since, wait] {
        frmMain* m = frmMain::existing();
        // Exit has taken the icon away: nothing left to reach.
        if (!m || !m->SysTray) {
            poll->deleteLater();
            return;
        }
        if (platform::TrayHostPresent()) {
            platform::Trace("notray.check", "tray");
            poll->stop();
            poll->deleteLater();
            return;
        }
        // Not in the middle of a fight, a dialog or a message box: the notice waits for them.
        if (since.elapsed() < wait || m->TrayIconBusy())
            return;
        poll->stop();
        poll->deleteLater();
        platform::Trace("notray.check", "none");
        qCWarning(lcShell) << "no notification area appeared within" << wait << "ms; telling the user";
        tell(*m);
    });
    poll->start(kPollMs);
}

void NoticeAction(const QString& key)
{
    frmMain* m = frmMain::existing();
    if (!m || !m->SysTray)
        return;
    platform::Trace("notray.action", key);
    // As the tray menus: nothing while a fight or a message box is on.
    if (FightInProgress || MessageBoxOpen)
        return;
    if (key == QLatin1String("fight")) {
        if (!DialogOpen && m->mnuFightNow->isEnabled())
            m->mnuFightNow_Click();
    } else if (key == QLatin1String("options")) {
        m->mnuOptions_Click();
    }
}

} // namespace NoTrayCheck
