#pragma once
// The hidden main window: owns the tray icon, the two popup menus, the animation and click
// timers, the peer socket and the system-event control. It is never shown.
#include "core/FormTimer.h"
#include "core/ImageList.h"
#include "core/SingleForm.h"
#include "net/PeerLink.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <memory>

namespace platform {
class vbTrayIcon;
class Winsock;
class SysInfo;
class SingleInstance;
}

class frmMain : public QWidget, public SingleForm<frmMain> {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    // Controls, in their design order.
    QPushButton* cmdProcessMsg = nullptr;
    platform::Winsock* Winsock = nullptr;
    ImageList CursorList;
    platform::SysInfo* SysInfo = nullptr;
    FormTimer* tmrSysTrayLeftButton = nullptr;
    FormTimer* tmrAnimDie = nullptr;
    QImage picDesktop;          // background patch under the enemy, one frame large
    FormTimer* tmrAnimAttack = nullptr;
    ImageList IconList;
    platform::vbTrayIcon* SysTray = nullptr;

    // Popup menus and their items.
    QMenu* mnuSysTrayLeftButton = nullptr;
    QAction* mnuFightNow = nullptr;
    QAction* mnuTimedFight = nullptr;
    QAction* mnuListen = nullptr;
    QAction* mnuPause = nullptr;
    QAction* mnuDisconnect = nullptr;
    QMenu* mnuSysTrayRightButton = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuBestTimes = nullptr;
    QAction* mnuStatistics = nullptr;
    QAction* mnuConnect = nullptr;
    QAction* mnuSendMessage = nullptr;
    QMenu* mnuDifficulty = nullptr;
    QAction* mnuBeginner = nullptr;
    QAction* mnuIntermediate = nullptr;
    QAction* mnuExpert = nullptr;
    QAction* mnuSep2 = nullptr;
    QAction* mnuCustom = nullptr;
    QAction* mnuSep4 = nullptr;
    QAction* mnuHelpTopics = nullptr;
    QAction* mnuAboutGremlok = nullptr;
    QAction* mnuSep3 = nullptr;
    QAction* mnuExit = nullptr;

    // Tag texts of menu items (restore markers, peer marks).
    static QString Tag(const QAction* item);
    static void SetTag(QAction* item, const QString& tag);

    // Resizes the background patch (keeps it at least one pixel large).
    void SetPictureSize(int width, int height);

    // Tray icon events.
    void SysTray_MouseUp(int Button);
    void SysTray_DblClick(int Button);
    bool TrayIconBusy() const;
    void tmrSysTrayLeftButton_Timer();

    // Menu handlers; running one has the same effect as the user's choice.
    void mnuFightNow_Click();
    void mnuTimedFight_Click();
    void mnuListen_Click();
    void mnuPause_Click();
    void mnuDisconnect_Click();
    void mnuOptions_Click();
    void mnuBestTimes_Click();
    void mnuStatistics_Click();
    void mnuConnect_Click();
    void mnuSendMessage_Click();
    void mnuBeginner_Click();
    void mnuIntermediate_Click();
    void mnuExpert_Click();
    void mnuCustom_Click();
    void mnuHelpTopics_Click();
    void mnuAboutGremlok_Click();
    void mnuExit_Click();

    // Animation timers of the fight.
    void tmrAnimAttack_Timer();
    void tmrAnimDie_Timer();

    // System events.
    void SysInfo_DeviceArrival();
    void SysInfo_DeviceRemoveComplete();
    void SysInfo_DisplayChanged();
    void SysInfo_PowerSuspend();
    void SysInfo_PowerResume();
    void SysInfo_SettingChanged(int Item);

    // A second copy handed over its command line.
    void cmdProcessMsg_Click();

    // Sends one message to the peer: the text and its terminating NUL.
    void SendPeerMessage(const QString& message);

    // The peer link's socket events and the handling of its messages (net/).
    void Winsock_Connect();
    void Winsock_ConnectionRequest(int requestID);
    void Winsock_DataArrival(int bytesTotal);
    void Winsock_SendComplete();
    void Winsock_Close();
    void Winsock_Error(int Number, const QString& Description);
    void DispatchPeerMessage(const QString& message);
    // "/ip:" on the command line: connect to `host` as the initiator.
    void ConnectFromCommandLine(const QString& host);
    bool StartOnSendComplete = false;   // the fight starts once "StartOK" has gone out
    PeerLink Link;                      // receive buffer of the link

    // The desktop session is ending (logout, shutdown): UnloadMode 2.
    void Form_QueryUnload(bool& Cancel, int UnloadMode);

    // Pops up a menu at the pointer and waits until it closes.
    void PopupMenu(QMenu* menu, QAction* defaultItem = nullptr);

    std::unique_ptr<platform::SingleInstance> Instance;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void loadPictures();
    void connectLink();              // net/
    void sendOpeningMessages();      // net/
};
