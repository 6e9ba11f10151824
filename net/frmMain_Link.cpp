#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QMessageBox>

using namespace modGremlok;

namespace {

int readPort()
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    int32_t port = 2320;
    reg.ReadInt32(key, QStringLiteral("Port"), 2320, port);
    reg.CloseKey(key);
    return port;
}

void criticalBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok);
    box.exec();
}

// Closes a window of the peer link that may be open, found by its class so that this file
// does not depend on it.
void closeWindowOfClass(const char* className)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            w->close();
    }
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

    Winsock->setLocalPort(readPort());
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
    // Connecting out needs the connecting window and the protocol of the peer link, which are
    // not part of this program yet: say so instead of leaving a half-open connection.
    MessageBoxOpen = true;
    QMessageBox box(QMessageBox::Information, AppTitle,
                    QStringLiteral("Connecting to another player is not available in this version of Gremlok."),
                    QMessageBox::Ok);
    box.exec();
    MessageBoxOpen = false;
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
    closeWindowOfClass("frmSendMessage");

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
}

void frmMain::mnuSendMessage_Click()
{
    // Instant messages come with the peer link's message windows; the item is hidden until a
    // peer is connected, which this version cannot do yet.
}

void frmMain::SendPeerMessage(const QString& message)
{
    // Every message ends with a NUL; a link that is not connected simply drops it.
    Winsock->SendData(message + QChar(0));
}

namespace modGremlok {

void ShowBalloon(const QString& title, const QString& text, int timeoutMs)
{
    frmMain* main = frmMain::existing();
    if (!main || !main->SysTray || !IsWin2000OrLater)
        return;
    main->SysTray->BalloonTitle = title;
    main->SysTray->BalloonText = text;
    main->SysTray->BalloonIcon = 1;
    main->SysTray->ShowBalloon(timeoutMs);
}

} // namespace modGremlok
