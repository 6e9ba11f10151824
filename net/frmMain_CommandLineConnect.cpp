// Stand-in for the peer link's own command-line connect, until that lands; then this file goes.
#include "core/CommandLine.h"
#include "core/modGremlok.h"
#include "net/frmConnecting.h"
#include "platform/SettingsStore.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QThread>

using namespace modGremlok;

void frmMain::ConnectFromCommandLine(const QString& host)
{
    // Listening and timed fights go off while connected; the markers bring them back when the
    // link closes.
    const QString restoreMark = QStringLiteral("True");
    if (mnuListen->isChecked()) {
        mnuListen_Click();
        SetTag(mnuListen, restoreMark);
    }
    if (mnuTimedFight->isChecked()) {
        mnuTimedFight_Click();
        SetTag(mnuTimedFight, restoreMark);
    }
    Winsock->setRemoteHost(host.trimmed());

    CommandLineConnect = true;
    frmConnecting& connecting = frmConnecting::instance();
    connecting.show();
    UpdateTrayStatus();

    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    int32_t port = 2320;
    reg.ReadInt32(key, QStringLiteral("Port"), 2320, port);
    reg.CloseKey(key);
    Winsock->setRemotePort(port);

    // The connecting window gets painted, then the program holds still before it dials. One
    // round of events does not paint a window under X11: the window manager maps it first.
    QCoreApplication::processEvents();
    QElapsedTimer mapping;
    mapping.start();
    while (!(connecting.windowHandle() && connecting.windowHandle()->isExposed()) && mapping.elapsed() < 1000) {
        QThread::msleep(10);
        QCoreApplication::processEvents();
    }
    connecting.repaint();
    QThread::msleep(4000);

    IsInitiator = true;
    const platform::SocketError e = Winsock->Connect();
    CommandLineConnect = false;
    if (e)
        CommandLineFailed(e.Number, e.Description);
}
