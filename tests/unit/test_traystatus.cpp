// The tray icon and tooltip, row by row, from the real menu marks and socket, in both tooltip styles.
#include "core/modGremlok.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/TrayStatus.h"
#include "shell/frmMain.h"

#include <QTcpServer>
#include <QtTest>

using namespace modGremlok;

class TestTrayStatus : public QObject {
    Q_OBJECT
    static frmMain& m() { return frmMain::instance(); }
    static void expect(int icon, const QString& tip)
    {
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), icon);
        QCOMPARE(m().SysTray->ToolTip(), tip);
    }

private slots:
    void init()
    {
        frmMain::release();
        CommandLineConnect = OpponentAway = false;
        OpponentNickname.clear();
        IsWin2000OrLater = true;
        m();
    }

    void idleTimedAndAvailable()
    {
        expect(1, QStringLiteral("Gremlok"));
        m().mnuTimedFight->setChecked(true);
        expect(2, QStringLiteral("Gremlok (timed fight)"));
        m().mnuListen->setChecked(true);
        const QString ip = m().Winsock->LocalIP();
        QVERIFY(!ip.isEmpty());
        expect(2, QStringLiteral("Gremlok (timed fight/available)\r\nIP: ") + ip);
        m().mnuTimedFight->setChecked(false);
        expect(3, QStringLiteral("Gremlok (available)\r\nIP: ") + ip);
        IsWin2000OrLater = false;                        // one-line tooltips: joined
        expect(3, QStringLiteral("Gremlok (available) - IP: ") + ip);
    }

    void connectedRows()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!m().Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        QTRY_COMPARE(m().Winsock->State(), int(platform::Winsock::sckConnected));
        m().mnuDisconnect->setVisible(true);
        m().mnuListen->setChecked(true);                 // still checked while hidden on a listener
        m().mnuTimedFight->setChecked(true);
        expect(4, QStringLiteral("Gremlok (connected)\r\n [127.0.0.1]"));   // before the greeting
        OpponentNickname = QStringLiteral("Zed");
        OpponentAway = true;
        expect(5, QStringLiteral("Gremlok (opponent is away)\r\nZed [127.0.0.1]"));
        m().mnuPause->setChecked(true);                  // own away wins over the peer's
        expect(6, QStringLiteral("Gremlok (away)\r\nZed [127.0.0.1]"));
        CommandLineConnect = true;                       // connecting wins over everything
        expect(7, QStringLiteral("Gremlok (connecting to 127.0.0.1)"));
        m().Winsock->Close();
    }

    void connectingWhileResolving()
    {
        QVERIFY(!m().Winsock->Connect(QStringLiteral("localhost"), 9));   // resolving the name
        expect(7, QStringLiteral("Gremlok (connecting to localhost)"));
        m().Winsock->Close();
    }
};

QTEST_MAIN(TestTrayStatus)
#include "test_traystatus.moc"
