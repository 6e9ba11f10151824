#include "core/modGremlok.h"
#include "shell/frmMain.h"

void frmMain::mnuListen_Click() {}
void frmMain::mnuConnect_Click() {}
void frmMain::mnuDisconnect_Click() {}
void frmMain::mnuSendMessage_Click() {}
void frmMain::SendPeerMessage(const QString&) {}

namespace modGremlok {
void ShowBalloon(const QString&, const QString&, int) {}
} // namespace modGremlok
