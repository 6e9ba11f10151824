// The tray icon's picture and tooltip, row by row of the status table, from the real menu
// marks and the real socket, in both tooltip styles.
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
    static QString tip() { return m().SysTray->ToolTip(); }

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
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 1);
        QCOMPARE(tip(), QStringLiteral("Gremlok"));

        m().mnuTimedFight->setChecked(true);
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 2);
        QCOMPARE(tip(), QStringLiteral("Gremlok (timed fight)"));

        m().mnuListen->setChecked(true);
        UpdateTrayStatus();
        const QString ip = m().Winsock->LocalIP();
        QVERIFY(!ip.isEmpty());
        QCOMPARE(TrayStatus::CurrentIcon(), 2);
        QCOMPARE(tip(), QStringLiteral("Gremlok (timed fight/available)\r\nIP: ") + ip);

        m().mnuTimedFight->setChecked(false);
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 3);
        QCOMPARE(tip(), QStringLiteral("Gremlok (available)\r\nIP: ") + ip);

        // Where the tray shows one line only, the parts are joined on it.
        IsWin2000OrLater = false;
        UpdateTrayStatus();
        QCOMPARE(tip(), QStringLiteral("Gremlok (available) - IP: ") + ip);
    }

    void connectedRowsPreferAwayOverOpponentAway()
    {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost, 0));
        QVERIFY(!m().Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        QTRY_COMPARE(m().Winsock->State(), int(platform::Winsock::sckConnected));
        m().mnuDisconnect->setVisible(true);
        m().mnuListen->setChecked(true);          // still checked while hidden on a listener
        m().mnuTimedFight->setChecked(true);

        // Before the greeting the nickname part is empty.
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 4);
        QCOMPARE(tip(), QStringLiteral("Gremlok (connected)\r\n [127.0.0.1]"));

        OpponentNickname = QStringLiteral("Zed");
        OpponentAway = true;
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 5);
        QCOMPARE(tip(), QStringLiteral("Gremlok (opponent is away)\r\nZed [127.0.0.1]"));

        m().mnuPause->setChecked(true);
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 6);
        QCOMPARE(tip(), QStringLiteral("Gremlok (away)\r\nZed [127.0.0.1]"));
        m().Winsock->Close();
    }

    void connectingWinsOverEverything()
    {
        m().mnuDisconnect->setVisible(true);
        m().mnuPause->setChecked(true);
        CommandLineConnect = true;
        m().Winsock->setRemoteHost(QStringLiteral("arena.example"));
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 7);
        QCOMPARE(tip(), QStringLiteral("Gremlok (connecting to arena.example)"));

        // The socket itself resolving a name.
        CommandLineConnect = false;
        m().mnuDisconnect->setVisible(false);
        QVERIFY(!m().Winsock->Connect(QStringLiteral("localhost"), 9));
        QCOMPARE(m().Winsock->State(), int(platform::Winsock::sckResolvingHost));
        UpdateTrayStatus();
        QCOMPARE(TrayStatus::CurrentIcon(), 7);
        QCOMPARE(tip(), QStringLiteral("Gremlok (connecting to localhost)"));
        m().Winsock->Close();
    }
};

QTEST_MAIN(TestTrayStatus)
#include "test_traystatus.moc"
