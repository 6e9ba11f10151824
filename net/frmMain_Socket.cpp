// The socket's events on the main window: an outgoing connection made, a peer asking to
// connect, data, a finished send, the peer closing, errors. Each is short and hands the
// protocol work to PeerLink and DispatchPeerMessage.
#include "core/Logging.h"
#include "core/modGremlok.h"
#include "fight/FightMemory.h"
#include "fight/FightRecorder.h"
#include "fight/frmDesktop.h"
#include "net/LinkBox.h"
#include "net/LinkPort.h"
#include "net/frmConnecting.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"
#include "sound/SoundEffects.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

using namespace modGremlok;

namespace {

const QString Marker = QStringLiteral("True");
const QString CRLF = QStringLiteral("\r\n");

void closeConnecting()
{
    if (frmConnecting* f = frmConnecting::existing())
        f->close();
}

// The menu items as they stand while a peer is connected.
void showConnected(frmMain& m)
{
    m.mnuCustom->setEnabled(false);
    m.mnuDisconnect->setVisible(true);
    m.mnuListen->setVisible(false);
    m.mnuPause->setVisible(true);
    m.mnuSendMessage->setVisible(true);
    m.mnuConnect->setEnabled(false);
    m.mnuTimedFight->setEnabled(false);
    m.mnuFightNow->setEnabled(false);
    FightMemory::PrepareCapture();
}

} // namespace

void frmMain::connectLink()
{
    connect(Winsock, &platform::Winsock::Connected, this, &frmMain::Winsock_Connect);
    connect(Winsock, &platform::Winsock::ConnectionRequest, this, &frmMain::Winsock_ConnectionRequest);
    connect(Winsock, &platform::Winsock::DataArrival, this, &frmMain::Winsock_DataArrival);
    connect(Winsock, &platform::Winsock::SendComplete, this, &frmMain::Winsock_SendComplete);
    connect(Winsock, &platform::Winsock::Closed, this, &frmMain::Winsock_Close);
    connect(Winsock, &platform::Winsock::Error, this, &frmMain::Winsock_Error);
}

void frmMain::Winsock_Connect()
{
    showConnected(*this);
    IsInitiator = true;
    SavedDifficulty = Difficulty;
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    reg.SetValue(key, QStringLiteral("RemoteHost"), Winsock->RemoteHost());
    reg.CloseKey(key);
    platform::Trace("link", QStringLiteral("connected"));
    // Nothing is sent: the listener speaks first.
}

void frmMain::Winsock_ConnectionRequest(int requestID)
{
    if (FightInProgress) {
        // Neither accepted nor refused: the requester waits.
        Winsock->Defer(requestID);
        platform::Trace("link", QStringLiteral("request deferred"));
        return;
    }
    bool accept = AutoAccept;
    if (!accept) {
        SysTray->setAttention(true);
        gSound->PlaySoundEvent(SoundEffects::IncomingGameRequest);
        accept = LinkBox(QMessageBox::Question,
                         QStringLiteral("You have an incoming game request from ") + Winsock->RemoteHostIP()
                             + QStringLiteral(".") + CRLF + QStringLiteral("Would you like to accept?"),
                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        SysTray->setAttention(false);
    }
    if (!accept) {
        platform::Trace("link", QStringLiteral("request refused"));
        return;
    }

    if (Winsock->State() != platform::Winsock::sckClosed)
        Winsock->Close();   // no longer listening: one peer at a time
    if (const platform::SocketError e = Winsock->Accept(requestID)) {
        // The request went away while we were asking; listen again.
        qCWarning(lcNet) << "accepting failed:" << e.Number << e.Description;
        mnuListen->setChecked(false);
        mnuListen_Click();
        return;
    }
    Link.Clear();
    if (mnuTimedFight->isChecked()) {
        mnuTimedFight_Click();
        SetTag(mnuTimedFight, Marker);
    }
    showConnected(*this);
    SavedDifficulty = Difficulty;
    platform::Trace("link", QStringLiteral("accepted"));
    if (Winsock->State() != platform::Winsock::sckConnected)
        QApplication::processEvents();
    if (Winsock->State() == platform::Winsock::sckConnected)
        sendOpeningMessages();
}

void frmMain::Winsock_DataArrival(int /*bytesTotal*/)
{
    if (Winsock->State() != platform::Winsock::sckConnected)
        QApplication::processEvents();
    QString chunk;
    Winsock->GetData(chunk);
    Link.Append(chunk);
    // A nested arrival (from a message box in a handler) takes messages from the same buffer,
    // so every message is handled once and in order.
    QString message;
    for (;;) {
        switch (Link.Next(message)) {
        case PeerLink::Take::Message:
            DispatchPeerMessage(message);
            continue;
        case PeerLink::Take::Flooded:
            qCWarning(lcNet) << "peer sent" << Link.Pending().size() << "characters without an end; dropping the link";
            platform::Trace("link", QStringLiteral("flood"));
            mnuDisconnect_Click();
            return;
        case PeerLink::Take::None:
            return;
        }
    }
}

void frmMain::Winsock_SendComplete()
{
    if (!StartOnSendComplete)
        return;
    StartOnSendComplete = false;
    SetFightOrigin(FightOrigin::Linked);
    frmDesktop::instance().Show();
}

void frmMain::Winsock_Close()
{
    platform::Trace("link", QStringLiteral("peer closed"));
    if (Winsock->State() == platform::Winsock::sckClosing) {
        if (!OpponentNickname.isEmpty()) {
            ShowBalloon(AppTitle, QStringLiteral("Disconnected from ") + OpponentNickname + QStringLiteral("."), 10000);
            mnuDisconnect_Click();
        } else {
            // Gone before the greeting was over: the other side said no.
            mnuDisconnect_Click();
            closeConnecting();
            LinkBox(QMessageBox::Information, QStringLiteral("Your opponent has denied your request to play Gremlok."));
        }
    } else if (!OpponentNickname.isEmpty()) {
        mnuDisconnect_Click();
    }
}

void frmMain::Winsock_Error(int Number, const QString& Description)
{
    platform::Trace("link", QStringLiteral("error %1").arg(Number));
    closeConnecting();
    switch (Number) {
    case platform::Winsock::sckConnectionRefused:
        LinkBox(QMessageBox::Information,
                QStringLiteral("Gremlok could not connect to this computer. Please make sure that your opponent "
                               "has started Gremlok and is available to play."));
        break;
    case platform::Winsock::sckHostNotFound:
    case platform::Winsock::sckHostNotFoundTryAgain:
    case platform::Winsock::sckAddressNotAvailable:
    case platform::Winsock::sckTimedout:
    case platform::Winsock::sckHostUnreachable:
        LinkBox(QMessageBox::Warning,
                QStringLiteral("Gremlok could not find this computer on the network. Please make sure that you are "
                               "connected to the Internet (or LAN) and the IP address or host name you specified is "
                               "correct.")
                    + CRLF + CRLF + Description + QStringLiteral(" (") + QString::number(Number) + QStringLiteral(")"));
        break;
    default:
        LinkBox(QMessageBox::Warning, QStringLiteral("Error Number: ") + QString::number(Number) + CRLF + Description);
        break;
    }
    mnuDisconnect_Click();
}

void frmMain::ConnectFromCommandLine(const QString& host)
{
    if (mnuListen->isChecked()) {
        mnuListen_Click();
        SetTag(mnuListen, Marker);
    }
    if (mnuTimedFight->isChecked()) {
        mnuTimedFight_Click();
        SetTag(mnuTimedFight, Marker);
    }
    Winsock->setRemoteHost(host.trimmed());
    CommandLineConnect = true;
    frmConnecting::instance().show();
    UpdateTrayStatus();
    Winsock->setRemotePort(LinkPort());
    QApplication::processEvents();
    // The connecting window is painted and kept painted, but the program takes no input
    // meanwhile (the tray icon is busy).
    {
        QEventLoop wait;
        // Precise: a coarse timer may end the pause up to 5% early.
        QTimer::singleShot(4000, Qt::PreciseTimer, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    IsInitiator = true;
    SavedDifficulty = Difficulty;
    // The player closed the connecting window through the window manager meanwhile: that is
    // a Cancel, so nothing is dialled and the modes the link switched off come back.
    frmConnecting* connecting = frmConnecting::existing();
    if (!connecting || !connecting->isVisible()) {
        CommandLineConnect = false;
        mnuDisconnect_Click();
        return;
    }
    const platform::SocketError e = Winsock->Connect();
    CommandLineConnect = false;
    UpdateTrayStatus();
    if (e) {
        // Refused at once (no host, bad port): reported and undone like a failed attempt.
        Winsock->Close();
        Winsock_Error(e.Number, e.Description);
    }
}
