// The tray shell: clicks against double clicks (through the icon's real activation
// translation), busy rules, timed fights, away mode, listening and tear-down, suspend, session end.
#include "core/modGremlok.h"
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
void doubleClick()   // as Qt reports it: a press, then the double click
{
    click();
    form().SysTray->deliver(QSystemTrayIcon::DoubleClick);
}

// Closes, and counts, the popup menu or modal box that is up a moment from now.
int closed = 0;
void closeSoon(int ms)
{
    QTimer::singleShot(ms, [] {
        QWidget* w = QApplication::activePopupWidget();
        if (w || (w = QApplication::activeModalWidget()))
            ++closed, w->close();
    });
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
    QTcpServer peer;
    QTcpSocket* peerSide = nullptr;
    QByteArray fromUs;

    // A real peer on the program's socket, and the menus as the peer link sets them.
    void linkUp(bool initiator)
    {
        frmMain& m = form();
        QVERIFY(peer.isListening() || peer.listen(QHostAddress::LocalHost, 0));
        fromUs.clear();
        QVERIFY(!m.Winsock->Connect(QStringLiteral("127.0.0.1"), peer.serverPort()));
        QTRY_VERIFY(peer.hasPendingConnections() && m.Winsock->State() == platform::Winsock::sckConnected);
        peerSide = peer.nextPendingConnection();
        connect(peerSide, &QTcpSocket::readyRead, this, [this] { fromUs += peerSide->readAll(); });
        if (m.mnuTimedFight->isChecked()) {
            m.mnuTimedFight_Click();
            frmMain::SetTag(m.mnuTimedFight, QStringLiteral("True"));
        }
        for (QAction* a : {m.mnuCustom, m.mnuConnect, m.mnuTimedFight, m.mnuFightNow})
            a->setEnabled(false);
        for (QAction* a : {m.mnuDisconnect, m.mnuPause, m.mnuSendMessage})
            a->setVisible(true);
        m.mnuListen->setVisible(false);
        IsInitiator = initiator;
        SavedDifficulty = Difficulty;
        OpponentNickname = QStringLiteral("Rival");
    }

private slots:
    void init()
    {
        StopFightTimer();
        frmMain::release();
        DialogOpen = FightInProgress = MessageBoxOpen = CommandLineConnect = false;
        OpponentAway = IsInitiator = false;
        OpponentNickname.clear();
        TimedFightStart = MultiplayerFightStart = 300;
        TimedFightLength = MultiplayerFightLength = 300;
        Difficulty = SavedDifficulty = 1;
        form().tmrSysTrayLeftButton->setInterval(150);
        form().SysTray->setEnabled(true);
        closed = 0;
    }
    void cleanup()
    {
        delete peerSide;
        peerSide = nullptr;
    }

    // (Clicks against double clicks on the real icon are test_tray's.)
    void clicksAndDoubleClicks()
    {
        frmMain& m = form();
        // A double click that makes the icon busy (a fight starts) must not leave its marker
        // behind to swallow the next single click.
        FightInProgress = true;
        doubleClick();
        FightInProgress = false;
        click();
        closeSoon(250);
        QTRY_COMPARE(closed, 1);

        QStyleHints* hints = QGuiApplication::styleHints();   // the wait follows the system's
        const int before = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(before + 123);
        QCOMPARE(m.tmrSysTrayLeftButton->Interval(), before + 123);
        hints->setMouseDoubleClickInterval(before);
    }

    void busyIconOpensAndStartsNothing()
    {
        const QList<std::function<void()>> busy{
            [] { DialogOpen = true; }, [] { FightInProgress = true; }, [] { MessageBoxOpen = true; },
            [] { CommandLineConnect = true; },
            [] { QVERIFY(!form().Winsock->Connect(QStringLiteral("localhost"), 9)); },   // resolving
            [&] { linkUp(false); OpponentNickname.clear(); },                         // no greeting
        };
        for (int i = 0; i < busy.size(); ++i) {
            init();
            busy[i]();
            const bool fightNow = form().mnuFightNow->isEnabled(), away = form().mnuPause->isChecked();
            click();
            form().SysTray->deliver(QSystemTrayIcon::Context);
            QTest::qWait(1);
            QVERIFY(!form().tmrSysTrayLeftButton->Enabled());
            QCOMPARE(closed, 0);
            if (i < 3) {                                 // a double click only brings windows forward
                doubleClick();
                QCOMPARE(form().mnuFightNow->isEnabled(), fightNow);
                QCOMPARE(form().mnuPause->isChecked(), away);
            }
            form().Winsock->Close();
            cleanup();
        }
        init();                                         // busy by the time the wait ends
        click();
        FightInProgress = true;
        QTest::qWait(300);
        QCOMPARE(closed, 0);
    }

    void doubleClickDuringTheHandshakeSwitchesAway()
    {
        linkUp(false);
        OpponentNickname.clear();                        // the initiator's greeting is still due
        doubleClick();
        QVERIFY(form().mnuPause->isChecked());
        QTRY_COMPARE(fromUs, QByteArray("Pause", 6));
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
    }

    void timedFightsArmOnceAndStop()
    {
        frmMain& m = form();
        m.mnuTimedFight_Click();
        QVERIFY(m.mnuTimedFight->isChecked() && !m.mnuFightNow->isEnabled());
        const int left = TimedFight::RemainingTime();
        QVERIFY2(left > 299000 && left <= 600000, qPrintable(QString::number(left)));
        ScheduleFight(3600, 0);                          // replaces, never adds a second one
        QVERIFY(TimedFight::RemainingTime() > 3590000);
        m.mnuTimedFight_Click();
        QVERIFY(m.mnuFightNow->isEnabled());
        QCOMPARE(TimedFight::RemainingTime(), -1);

        linkUp(true);                                    // connected: ask the peer, once
        ScheduleFight(0, 0);
        QTRY_COMPARE(fromUs, QByteArray("StartNow", 9));
        QTest::qWait(100);
        QCOMPARE(fromUs.size(), 9);
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
        QVERIFY(TimedFight::RemainingTime() > 299000);
        QTRY_COMPARE(fromUs, QByteArray("Pause\0Resume\0", 13));

        StopFightTimer();
        IsInitiator = false;
        doubleClick();                                   // connected: a double click is "away"
        QVERIFY(m.mnuPause->isChecked());
        m.mnuPause_Click();
        QCOMPARE(TimedFight::RemainingTime(), -1);
    }

    void listenOnAPortInUse()
    {
        frmMain& m = form();
        QTcpServer blocker;
        QVERIFY(blocker.listen(QHostAddress::Any, 0));
        const int32_t key = SettingsStore->OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
        SettingsStore->SetValue(key, QStringLiteral("Port"), int(blocker.serverPort()));
        SettingsStore->CloseKey(key);

        closeSoon(50);                                   // port in use: error box, unchecked
        m.mnuListen_Click();
        QCOMPARE(closed, 1);
        QVERIFY(!m.mnuListen->isChecked());
        QCOMPARE(m.Winsock->LocalPort(), 0);
        blocker.close();
        m.mnuListen_Click();
        QCOMPARE(m.Winsock->State(), int(platform::Winsock::sckListening));
        // (The tear-down that gives the modes back is test_link_two's, between two copies.)
    }

    void suspendResumeAndSessionEnd()
    {
        frmMain& m = form();
        m.mnuTimedFight_Click();
        linkUp(true);
        m.SysInfo->onPrepareForSleep(true);
        QTRY_COMPARE(peerSide->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!m.mnuTimedFight->isChecked());
        m.SysInfo->onPrepareForSleep(false);
        QVERIFY(m.mnuTimedFight->isChecked() && TimedFight::RemainingTime() > 0);
        m.SysInfo->onPrepareForSleep(false);             // a repeated resume changes nothing
        QVERIFY(m.mnuTimedFight->isChecked());

        ScreenWidth = 0;                                 // a new display mode is measured again
        emit m.SysInfo->DisplayChanged();
        QVERIFY(ScreenWidth > 0);

        // Logout closes the link, never cancelled; any other close leaves it alone.
        cleanup();
        linkUp(true);
        bool cancel = true;
        m.Form_QueryUnload(cancel, 0);
        QVERIFY(!cancel && m.mnuDisconnect->isVisible());
        m.Form_QueryUnload(cancel, 2);
        QVERIFY(!cancel && !m.mnuDisconnect->isVisible());
        QTRY_COMPARE(peerSide->state(), QAbstractSocket::UnconnectedState);
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
