// The link's menu commands: Available, Connect To..., Disconnect (the tear-down), Instant
// Message..., and the one way messages go out.
#include "core/modGremlok.h"
#include "fight/FightMemory.h"
#include "net/LinkBox.h"
#include "net/LinkPort.h"
#include "net/frmConnecting.h"
#include "net/frmSendMessage.h"
#include "platform/Help.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>

using namespace modGremlok;

namespace {

void criticalBox(const QString& text)
{
    LinkBox(QMessageBox::Critical, text);
}

QString readString(const QString& name)
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    QString value;
    reg.ReadString(key, name, QString(), value);
    reg.CloseKey(key);
    return value;
}

const QString Marker = QStringLiteral("True");
const QString ExampleHost = QStringLiteral("gremlok.example.org");
constexpr int ConnectHelpTopic = 18;

// Listening and timed fights that the connect command switched off come back on.
void restoreModes(frmMain& m)
{
    if (!frmMain::Tag(m.mnuListen).isEmpty() && !m.mnuListen->isChecked())
        m.mnuListen_Click();
    if (!frmMain::Tag(m.mnuTimedFight).isEmpty() && !m.mnuTimedFight->isChecked())
        m.mnuTimedFight_Click();
}

} // namespace

void frmMain::mnuListen_Click()
{
    if (mnuListen->isChecked()) {
        mnuListen->setChecked(false);
        SetTag(mnuListen, QString());
        if (!mnuTimedFight->isChecked())
            mnuFightNow->setEnabled(true);
        mnuTimedFight->setEnabled(true);
        UpdateTrayStatus();
        const int state = Winsock->State();
        if (state == platform::Winsock::sckListening || state == platform::Winsock::sckOpen)
            Winsock->Close();
        Winsock->setLocalPort(0);
        return;
    }

    Winsock->setLocalPort(LinkPort());
    if (const platform::SocketError e = Winsock->Listen()) {
        criticalBox(QStringLiteral("Error: ") + QString::number(e.Number) + QStringLiteral("\r\n") + e.Description);
        Winsock->setLocalPort(0);
        return;
    }
    mnuListen->setChecked(true);
    if (!mnuTimedFight->isChecked())
        mnuFightNow->setEnabled(true);
    mnuTimedFight->setEnabled(true);
    IsInitiator = false;
    UpdateTrayStatus();
}

void frmMain::mnuConnect_Click()
{
    // 1. and 2. Modes that would get in the way go off, marked to come back.
    if (mnuTimedFight->isChecked()) {
        mnuTimedFight_Click();
        SetTag(mnuTimedFight, Marker);
    }
    if (mnuListen->isChecked()) {
        mnuListen_Click();
        SetTag(mnuListen, Marker);
    }

    // 3. The host, the last one reached offered first.
    const bool wasOpen = MessageBoxOpen;
    MessageBoxOpen = true;
    QInputDialog prompt;
    prompt.setWindowTitle(AppTitle);
    prompt.setLabelText(QStringLiteral("Please type the IP address or the host name of the computer to which you are "
                                       "connecting  (such as 123.45.6.78 or ")
                        + ExampleHost + QStringLiteral(")."));
    prompt.setTextValue(readString(QStringLiteral("RemoteHost")));
    // The question is long: wrapped, it keeps the prompt a reasonable width.
    if (auto* label = prompt.findChild<QLabel*>()) {
        label->setWordWrap(true);
        label->setMinimumWidth(360);
    }
    prompt.setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* help = new QShortcut(QKeySequence::HelpContents, &prompt);
    connect(help, &QShortcut::activated, &prompt, [&prompt] { platform::Help::ShowPopup(ConnectHelpTopic, &prompt); });
    platform::Trace("prompt", QStringLiteral("connect"));
    prompt.show();
    prompt.raise();
    prompt.activateWindow();
    const QString answer = prompt.exec() == QDialog::Accepted ? prompt.textValue() : QString();
    MessageBoxOpen = wasOpen;

    // 5. Cancelled or empty: everything as it was.
    if (answer.isEmpty()) {
        restoreModes(*this);
        return;
    }

    // 4. Used exactly as typed.
    SavedDifficulty = Difficulty;
    IsInitiator = true;
    if (const platform::SocketError e = Winsock->Connect(answer, LinkPort())) {
        Winsock->Close();
        criticalBox(QStringLiteral("Error: ") + QString::number(e.Number) + QStringLiteral("\r\n") + e.Description);
        // Nothing is left half done: listening and timed fights come back.
        restoreModes(*this);
        return;
    }
    platform::Trace("link", QStringLiteral("connecting"));
    frmConnecting::instance().show();
    UpdateTrayStatus();
}

void frmMain::mnuDisconnect_Click()
{
    // 1. to 5. The link goes; the peer learns of it from its own socket.
    Winsock->Close();
    OpponentNickname.clear();
    mnuConnect->setEnabled(true);
    mnuListen->setVisible(true);
    mnuDisconnect->setVisible(false);
    mnuCustom->setEnabled(true);
    mnuPause->setVisible(false);
    mnuSendMessage->setVisible(false);
    OpponentAway = false;
    if (frmSendMessage* f = frmSendMessage::existing())
        f->close();
    // Nothing of this connection carries over to the next: no half message, no granted fight.
    Link.Clear();
    StartOnSendComplete = false;

    // 6. The player's own level comes back; nothing is sent, the link is already gone.
    // (A tear-down before any connection began has no saved level to go back to.)
    if (SavedDifficulty >= 1 && SavedDifficulty <= 4) {
        Difficulty = SavedDifficulty;
        ApplyDifficulty(false);
    }

    // 7. Modes the link switched off.
    if (IsInitiator) {
        if (mnuPause->isChecked())
            mnuPause->setChecked(false);
        else
            StopFightTimer();
        mnuTimedFight->setEnabled(true);
        mnuFightNow->setEnabled(true);
        if (!Tag(mnuListen).isEmpty() && !mnuListen->isChecked())
            mnuListen_Click();
    } else {
        // The listening side always listens again.
        mnuListen->setChecked(false);
        mnuPause->setChecked(false);
        mnuListen_Click();
    }
    // 8. and 9.
    // A marker only ever asks for "back on"; the toggle must not switch them off instead.
    if (!Tag(mnuTimedFight).isEmpty() && !mnuTimedFight->isChecked())
        mnuTimedFight_Click();
    UpdateTrayStatus();
    FightMemory::ReleaseWhenIdle();
    platform::Trace("link", QStringLiteral("torn down, difficulty %1").arg(Difficulty));
}

void frmMain::mnuSendMessage_Click()
{
    frmSendMessage& f = frmSendMessage::instance();
    f.show();
    f.raise();
    f.activateWindow();
}

void frmMain::SendPeerMessage(const QString& message)
{
    // A link that is not connected simply drops it.
    platform::Trace("link.send", message.left(40));
    Winsock->SendData(QString::fromLatin1(PeerLink::Frame(message)));
}
