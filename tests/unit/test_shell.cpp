// The tray shell's behaviour as the player meets it: telling clicks from double clicks
// (through the real activation translation), the busy rules, timed fights and away mode,
// listening and the tear-down, suspend and resume, and the session's end.
#include "core/modGremlok.h"
#include "platform/Help.h"
#include "platform/SettingsStore.h"
#include "platform/SysInfo.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"
#include "shell/TimedFight.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace modGremlok;

namespace {

frmMain& form() { return frmMain::instance(); }

void click() { form().SysTray->deliver(QSystemTrayIcon::Trigger); }
void doubleClick()
{
    // What Qt reports for a double click on the icon: a press, then the double click.
    form().SysTray->deliver(QSystemTrayIcon::Trigger);
    form().SysTray->deliver(QSystemTrayIcon::DoubleClick);
}

// Closes whatever popup or modal box is up, a moment from now; counts what it closed.
int closedPopups = 0;
void closeSoon(int ms = 50)
{
    QTimer::singleShot(ms, [] {
        if (QWidget* p = QApplication::activePopupWidget()) {
            ++closedPopups;
            p->close();
        } else if (QWidget* m = QApplication::activeModalWidget()) {
            ++closedPopups;
            m->close();
        }
    });
}

void setSetting(const QString& name, const QVariant& value)
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    reg.SetValue(key, name, value);
    reg.CloseKey(key);
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    QTcpServer peer;
    QTcpSocket* peerSide = nullptr;
    QByteArray fromUs;

    // A real peer at the other end of the program's socket, and the menus as a connection
    // sets them (the peer link's own handlers do this in the program).
    void linkUp(bool initiator)
    {
        frmMain& m = form();
        QVERIFY(peer.isListening() || peer.listen(QHostAddress::LocalHost, 0));
        fromUs.clear();
        QVERIFY(!m.Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        QTRY_COMPARE(m.Winsock->State(), int(platform::Winsock::sckConnected));
        QTRY_VERIFY(peer.hasPendingConnections());
        peerSide = peer.nextPendingConnection();
        connect(peerSide, &QTcpSocket::readyRead, this, [this] { fromUs += peerSide->readAll(); });
        if (m.mnuTimedFight->isChecked()) {
            m.mnuTimedFight_Click();
            frmMain::SetTag(m.mnuTimedFight, QStringLiteral("True"));
        }
        m.mnuCustom->setEnabled(false);
        m.mnuDisconnect->setVisible(true);
        m.mnuListen->setVisible(false);
        m.mnuPause->setVisible(true);
        m.mnuSendMessage->setVisible(true);
        m.mnuConnect->setEnabled(false);
        m.mnuTimedFight->setEnabled(false);
        m.mnuFightNow->setEnabled(false);
        IsInitiator = initiator;
        SavedDifficulty = Difficulty;
        OpponentNickname = QStringLiteral("Rival");
    }

    void resetForm()
    {
        StopFightTimer();
        frmMain::release();
        DialogOpen = FightInProgress = MessageBoxOpen = CommandLineConnect = false;
        OpponentAway = IsInitiator = false;
        OpponentNickname.clear();
        TimedFightStart = MultiplayerFightStart = 300;
        TimedFightLength = MultiplayerFightLength = 300;
        Difficulty = SavedDifficulty = 1;
        frmMain& m = form();
        m.tmrSysTrayLeftButton->setInterval(150);
        m.SysTray->setEnabled(true);
        closedPopups = 0;
    }

private slots:
    void init() { resetForm(); }
    void cleanup()
    {
        if (peerSide) {
            peerSide->abort();
            peerSide->deleteLater();
            peerSide = nullptr;
        }
    }

    void singleClickOpensLeftMenuAfterDoubleClickTime()
    {
        frmMain& m = form();
        click();
        QVERIFY(m.tmrSysTrayLeftButton->Enabled());
        QCOMPARE(closedPopups, 0);
        closeSoon(250);
        QTRY_COMPARE(closedPopups, 1);
        QVERIFY(!m.tmrSysTrayLeftButton->Enabled());
        QCOMPARE(m.mnuSysTrayLeftButton->defaultAction(), m.mnuFightNow);

        closeSoon(100);
        m.SysTray->deliver(QSystemTrayIcon::Context);
        QTRY_COMPARE(closedPopups, 2);
        QVERIFY(!m.tmrSysTrayLeftButton->Enabled());
    }

    void doubleClickNeverOpensMenuAndNextClickStillDoes()
    {
        frmMain& m = form();
        m.mnuTimedFight_Click();
        QVERIFY(m.mnuTimedFight->isChecked());
        doubleClick();                                 // timed fights on: switches them off
        QVERIFY(!m.mnuTimedFight->isChecked());
        QVERIFY(!m.tmrSysTrayLeftButton->Enabled());
        QVERIFY(m.tmrSysTrayLeftButton->Tag.isEmpty());
        QTest::qWait(300);
        QCOMPARE(closedPopups, 0);

        // A double click that makes the icon busy (a fight starts) must not leave its marker
        // behind to eat the next single click.
        FightInProgress = true;
        doubleClick();
        QVERIFY(m.tmrSysTrayLeftButton->Tag.isEmpty());
        FightInProgress = false;
        click();
        QVERIFY(m.tmrSysTrayLeftButton->Enabled());
        closeSoon(250);
        QTRY_COMPARE(closedPopups, 1);
    }

    void busyIconOpensNothing_data()
    {
        QTest::addColumn<int>("what");
        QTest::newRow("dialog") << 0;
        QTest::newRow("fight") << 1;
        QTest::newRow("message box") << 2;
        QTest::newRow("command-line connect") << 3;
        QTest::newRow("connecting") << 4;
        QTest::newRow("connected, no greeting") << 5;
    }
    void busyIconOpensNothing()
    {
        QFETCH(int, what);
        frmMain& m = form();
        if (what == 0) DialogOpen = true;
        if (what == 1) FightInProgress = true;
        if (what == 2) MessageBoxOpen = true;
        if (what == 3) CommandLineConnect = true;
        if (what == 4) {
            QVERIFY(!m.Winsock->Connect(QStringLiteral("localhost"), 9));
            QVERIFY(m.Winsock->State() == platform::Winsock::sckResolvingHost
                    || m.Winsock->State() == platform::Winsock::sckConnecting);
        }
        if (what == 5) {
            linkUp(true);
            OpponentNickname.clear();
        }
        const bool fightNow = m.mnuFightNow->isEnabled();
        const bool timed = m.mnuTimedFight->isChecked(), away = m.mnuPause->isChecked();
        click();
        m.SysTray->deliver(QSystemTrayIcon::Context);
        QVERIFY(!m.tmrSysTrayLeftButton->Enabled());
        // Nor does a double click start or switch anything.
        doubleClick();
        QCOMPARE(m.mnuTimedFight->isChecked(), timed);
        QCOMPARE(m.mnuPause->isChecked(), away);
        QCOMPARE(m.mnuFightNow->isEnabled(), fightNow);
        QVERIFY(m.tmrSysTrayLeftButton->Tag.isEmpty());
        m.Winsock->Close();
        QTest::qWait(250);
        QCOMPARE(closedPopups, 0);
    }

    void clickWaitingWhenFightStartsOpensNoMenu()
    {
        click();
        FightInProgress = true;          // a timed fight began during the wait
        QTest::qWait(300);
        QCOMPARE(closedPopups, 0);
        QVERIFY(!form().tmrSysTrayLeftButton->Enabled());
    }

    void doubleClickTimeFollowsTheSystem()
    {
        QStyleHints* hints = QGuiApplication::styleHints();
        const int before = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(before + 123);
        QCOMPARE(form().tmrSysTrayLeftButton->Interval(), before + 123);
        hints->setMouseDoubleClickInterval(before);
    }

    void timedFightsArmOnceAndStop()
    {
        frmMain& m = form();
        m.mnuTimedFight_Click();
        QVERIFY(m.mnuTimedFight->isChecked());
        QVERIFY(!m.mnuFightNow->isEnabled());
        const int left = TimedFight::RemainingTime();
        QVERIFY2(left > 299000 && left <= 600000, qPrintable(QString::number(left)));
        QVERIFY(FightTimerId != 0);

        // Arming again replaces the pending fight instead of adding a second one.
        TimedFightStart = 0;
        TimedFightLength = 0;
        ScheduleFight(3600, 0);
        QVERIFY(TimedFight::RemainingTime() > 3590000);

        m.mnuTimedFight_Click();
        QVERIFY(!m.mnuTimedFight->isChecked());
        QVERIFY(m.mnuFightNow->isEnabled());
        QCOMPARE(TimedFight::RemainingTime(), -1);
        QCOMPARE(FightTimerId, 0);
    }

    void scheduleBounds()
    {
        using TimedFight::Delay;
        QCOMPARE(Delay(300, 300, 0.0), 300000);
        QCOMPARE(Delay(300, 300, 0.9999999), 600000);
        QCOMPARE(Delay(300, 0, 0.0), 299997);
        QCOMPARE(Delay(300, 0, 0.9999999), 300000);
        QCOMPARE(Delay(0, 0, 0.0), 0);                   // never negative
        QVERIFY(Delay(3000000, 300, 0.5) > 0);           // no 32-bit wrap-around
        QCOMPARE(Delay(10, -5, 0.5), Delay(10, 0, 0.5));
        // Every whole millisecond of the window can come out, the last one included.
        int lo = INT_MAX, hi = 0;
        for (int i = 0; i < 100000; ++i) {
            const int d = Delay(1, 1, i / 100000.0);
            lo = std::min(lo, d);
            hi = std::max(hi, d);
        }
        QCOMPARE(lo, 1000);
        QCOMPARE(hi, 2000);
    }

    void timerFiringWhileConnectedAsksPeerOnce()
    {
        linkUp(true);
        ScheduleFight(0, 0);
        QTRY_COMPARE(fromUs, QByteArray("StartNow", 9));
        QCOMPARE(TimedFight::RemainingTime(), -1);
        QTest::qWait(100);
        QCOMPARE(fromUs, QByteArray("StartNow", 9));
    }

    void awayModeHoldsSharedTimerOnInitiatorOnly()
    {
        frmMain& m = form();
        linkUp(true);
        ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
        m.mnuPause_Click();
        QVERIFY(m.mnuPause->isChecked());
        QCOMPARE(TimedFight::RemainingTime(), -1);
        m.mnuPause_Click();
        QVERIFY(!m.mnuPause->isChecked());
        QVERIFY(TimedFight::RemainingTime() > 299000);
        QTRY_COMPARE(fromUs, QByteArray("Pause\0Resume\0", 13));

        // The listening side never runs the shared timer.
        StopFightTimer();
        IsInitiator = false;
        m.mnuPause_Click();
        m.mnuPause_Click();
        QCOMPARE(TimedFight::RemainingTime(), -1);

        // While connected a double click toggles away mode.
        doubleClick();
        QVERIFY(m.mnuPause->isChecked());
    }

    void listenAndTearDown()
    {
        frmMain& m = form();
        QTcpServer probe;
        probe.listen(QHostAddress::Any, 0);
        const int port = probe.serverPort();
        probe.close();
        setSetting(QStringLiteral("Port"), port);

        m.mnuListen_Click();
        QVERIFY(m.mnuListen->isChecked());
        QCOMPARE(m.Winsock->State(), int(platform::Winsock::sckListening));
        QCOMPARE(m.Winsock->LocalPort(), port);
        m.mnuListen_Click();
        QVERIFY(!m.mnuListen->isChecked());
        QCOMPARE(m.Winsock->State(), int(platform::Winsock::sckClosed));
        QCOMPARE(m.Winsock->LocalPort(), 0);

        // A port in use: an error box, and the item stays unchecked.
        QTcpServer blocker;
        QVERIFY(blocker.listen(QHostAddress::Any, port));
        closeSoon();
        m.mnuListen_Click();
        QCOMPARE(closedPopups, 1);
        QVERIFY(!m.mnuListen->isChecked());
        QCOMPARE(m.Winsock->LocalPort(), 0);
        blocker.close();

        // Tear-down on the initiator: its modes come back from the markers; the peer sees
        // the link close; random difficulty returns.
        m.mnuListen_Click();
        m.mnuTimedFight_Click();
        Difficulty = 4;
        m.mnuListen_Click();
        frmMain::SetTag(m.mnuListen, QStringLiteral("True"));
        linkUp(true);
        Difficulty = 2;
        m.mnuDisconnect_Click();
        QVERIFY(!m.mnuDisconnect->isVisible() && !m.mnuPause->isVisible() && !m.mnuSendMessage->isVisible());
        QVERIFY(m.mnuListen->isVisible() && m.mnuListen->isChecked());
        QVERIFY(m.mnuTimedFight->isChecked() && m.mnuTimedFight->isEnabled());
        QVERIFY(!m.mnuFightNow->isEnabled());
        QVERIFY(m.mnuCustom->isChecked() && m.mnuCustom->isEnabled());
        QCOMPARE(Difficulty, uint8_t(4));
        QVERIFY(OpponentNickname.isEmpty());
        QTRY_COMPARE(peerSide->state(), QAbstractSocket::UnconnectedState);
        m.mnuListen_Click();
    }

    void suspendClosesLinkAndResumeRestoresTimedFights()
    {
        frmMain& m = form();
        m.SysInfo->onPrepareForSleep(true);               // nothing on: nothing changes
        m.SysInfo->onPrepareForSleep(false);
        QVERIFY(!m.mnuTimedFight->isChecked());

        m.mnuTimedFight_Click();
        linkUp(true);
        m.SysInfo->onPrepareForSleep(true);
        QVERIFY(!m.mnuDisconnect->isVisible());
        QTRY_COMPARE(peerSide->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!m.mnuTimedFight->isChecked());
        QCOMPARE(TimedFight::RemainingTime(), -1);
        m.SysInfo->onPrepareForSleep(false);
        QVERIFY(m.mnuTimedFight->isChecked());
        QVERIFY(TimedFight::RemainingTime() > 0);
        m.SysInfo->onPrepareForSleep(false);              // a repeated resume changes nothing
        QVERIFY(m.mnuTimedFight->isChecked());
    }

    void helpBookHasEveryTopicTheProgramAsksFor()
    {
        form().mnuHelpTopics_Click();
        QVERIFY(platform::Help::ContentsShown());
        platform::Help::Quit();
        QVERIFY(!platform::Help::ContentsShown());
        platform::Help::Quit();                             // nothing open: harmless
        // The first-run hint, the connect prompt and the Options window's What's This ids.
        for (int id : {1, 2, 3, 5, 6, 7, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23})
            QVERIFY2(!platform::Help::TopicText(id).isEmpty(), qPrintable(QString::number(id)));
        QVERIFY(platform::Help::TopicText(4).isEmpty());
        platform::Help::ShowPopup(999, nullptr);            // unknown id: a short note, no crash
    }

    void sessionEndClosesLinkWithoutSaving()
    {
        frmMain& m = form();
        linkUp(false);
        bool cancel = true;
        m.Form_QueryUnload(cancel, 0);
        QVERIFY(!cancel);
        QVERIFY(m.mnuDisconnect->isVisible());
        m.Form_QueryUnload(cancel, 2);
        QVERIFY(!cancel);
        QVERIFY(!m.mnuDisconnect->isVisible());
        QTRY_COMPARE(peerSide->state(), QAbstractSocket::UnconnectedState);
        m.Winsock->Close();
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
