// The Statistics window's dialog rules and its filter, and how the end of a fight is turned
// into a record (result, origin, peer).
#include "core/modGremlok.h"
#include "dialogs/frmStatistics.h"
#include "fight/Enemy.h"
#include "fight/FightRecorder.h"
#include "shell/TimedFight.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>

using namespace modGremlok;

class TestStatisticsWindow : public QObject {
    Q_OBJECT
private slots:
    void holdsTimedFightsWhileOpenAndFilters()
    {
        frmMain& m = frmMain::instance();
        TimedFightStart = TimedFightLength = 300;
        m.mnuTimedFight->setChecked(true);
        m.mnuTimedFight->setEnabled(true);
        ScheduleFight(TimedFightStart, TimedFightLength);
        frmStatistics& f = frmStatistics::instance();
        f.Form_Load();
        QVERIFY(DialogOpen);
        QCOMPARE(TimedFight::RemainingTime(), -1);

        FightEntry fast, slow, lost;
        fast.Result = slow.Result = FightResult::Kill;
        fast.KillMs = 250.5;
        fast.Difficulty = 3;
        slow.KillMs = 900;
        lost.Result = FightResult::Lost;
        f.SetHistory({slow, fast, lost});
        QCOMPARE(f.lblMedianAll->text(), QStringLiteral("575.3 ms"));
        f.cboDifficulty->setCurrentIndex(2);    // intermediate
        QCOMPARE(f.lblFights->text(), QStringLiteral("2"));
        QCOMPARE(f.lblLosses->text(), QStringLiteral("1"));
        QCOMPARE(f.lblBestAll->text(), QStringLiteral("900 ms"));
        f.cboDifficulty->setCurrentIndex(1);    // beginner: nothing
        QCOMPARE(f.lblBest10->text(), QStringLiteral("-"));
        QVERIFY(!f.cmdExport->isEnabled());

        f.reject();
        frmStatistics::release();
        QVERIFY(!DialogOpen);
        QVERIFY(TimedFight::RemainingTime() >= 299000);
        StopFightTimer();
        m.mnuTimedFight->setChecked(false);
    }

    void theOutcomeOfAFight()
    {
        frmMain& m = frmMain::instance();
        Difficulty = 3;
        gEnemy->Alive = false;
        PlayerAlive = true;
        // (A kill from "Fight Now!" is test_statistics.sh's.) Timed fights on: a fight nobody
        // announced counts as timed.
        gEnemy->Alive = true;
        PlayerAlive = false;
        m.mnuTimedFight->setChecked(true);
        FightEntry f = CurrentFightOutcome(-1);
        QCOMPARE(f.Difficulty, 3);
        QCOMPARE(f.Result, FightResult::Lost);
        QCOMPARE(f.Origin, FightOrigin::Timed);
        m.mnuTimedFight->setChecked(false);

        // A linked fight announced with the opponent of that moment, lost to him.
        m.mnuDisconnect->setVisible(true);
        OpponentNickname = QStringLiteral("Mara");
        SetFightOrigin(FightOrigin::Linked);
        OpponentNickname.clear();       // the link dropped before the end
        f = CurrentFightOutcome(-1);
        QCOMPARE(f.Origin, FightOrigin::Linked);
        QCOMPARE(f.Opponent, QStringLiteral("Mara"));
        QCOMPARE(f.Peer, PeerResult::Lost);

        // Announced while a fight is on screen: not taken for the fight after it.
        FightInProgress = true;
        SetFightOrigin(FightOrigin::CommandLine);
        FightInProgress = false;
        PlayerAlive = true;
        f = CurrentFightOutcome(-1);
        QCOMPARE(f.Origin, FightOrigin::Linked);
        QCOMPARE(f.Result, FightResult::Left);
        QCOMPARE(f.Peer, PeerResult::None);
        m.mnuDisconnect->setVisible(false);
    }
};

QTEST_MAIN(TestStatisticsWindow)
#include "test_statistics_window.moc"
