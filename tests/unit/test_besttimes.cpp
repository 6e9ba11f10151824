// The best-times table: stable sorting of ties, entering a time through the name prompt, the
// dialog's list and its reset, and the kill time that feeds the table.
#include "core/modGremlok.h"
#include "dialogs/frmBestTimes.h"
#include "fight/BestTimes.h"
#include "fight/frmDesktop.h"
#include "platform/SettingsStore.h"
#include "shell/frmMain.h"
#include "shell/TimedFight.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

using namespace modGremlok;

namespace {
// Runs `act` on the first modal window of type W that comes up (polling; a modal dialog runs
// its own event loop).
template <class W>
void whenModal(std::function<void(W*)> act)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (W* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(w);
        }
    });
    poll->start(10);
}

void writeTable(const QList<QPair<QString, QString>>& rows)
{
    const int32_t key = SettingsStore->OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    for (int i = 0; i < rows.size(); ++i) {
        SettingsStore->SetValue(key, QStringLiteral("Name%1").arg(i + 1), rows[i].first);
        SettingsStore->SetValue(key, QStringLiteral("Score%1").arg(i + 1), rows[i].second);
    }
    SettingsStore->CloseKey(key);
}

QStringList tableNames()
{
    const int32_t key = SettingsStore->OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    QStringList out;
    for (int i = 1; i <= 5; ++i)
        out << SettingsStore->GetValue(key, QStringLiteral("Name%1").arg(i)).toString();
    SettingsStore->CloseKey(key);
    return out;
}
} // namespace

class TestBestTimes : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        frmMain::instance();
        InitBestTimes();
        Nickname = QStringLiteral("nick");
    }

    void newTimeReplacesEntryFiveAndSortsBelowEqualOlderTimes()
    {
        // An unreadable score sorts last, not first; then it is entry 5.
        writeTable({{"a", "100"}, {"bad  ", "fast!"}, {"c", "300"}, {"old", "400"}, {"last", "400"}});
        SortBestTimes();
        QCOMPARE(tableNames(), QStringList({"a", "c", "old", "last", "bad  "}));
        QCOMPARE(SlowestBestTime, 999999.0f);
        QString offered;
        whenModal<QInputDialog>([&offered](QInputDialog* d) {
            offered = d->textValue();
            d->setTextValue(QStringLiteral("winner   "));
            d->accept();
        });
        QStringList listed;
        whenModal<frmBestTimes>([&listed](frmBestTimes* f) {
            for (int n = 1; n <= 5; ++n)
                listed << f->RowTexts(n).join('|');
            QVERIFY(DialogOpen);
            f->cmdOK->click();
        });
        RecordBestTime(400.0f);
        // Entry 5's name is offered (right-trimmed), not the player's nickname.
        QCOMPARE(offered, QStringLiteral("bad"));
        QCOMPARE(tableNames(), QStringList({"a", "c", "old", "last", "winner"}));
        QCOMPARE(listed.first(), QStringLiteral("1|a|100 ms"));
        QCOMPARE(listed.last(), QStringLiteral("5|winner|400 ms"));
        QVERIFY(!DialogOpen && !frmBestTimes::isLoaded());
    }

    void cancelledPromptStoresAnEmptyNameAndZeroTopsTheTable()
    {
        whenModal<QInputDialog>([](QInputDialog* d) {
            QCOMPARE(d->textValue(), QStringLiteral("Anonymous"));
            d->reject();
        });
        whenModal<frmBestTimes>([](frmBestTimes* f) { f->reject(); });
        RecordBestTime(0.0f);
        QCOMPARE(tableNames().first(), QString());
        QCOMPARE(SlowestBestTime, 999999.0f);
    }

    void resetAsksAndNoLeavesEverything()
    {
        writeTable({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}});
        SortBestTimes();
        frmBestTimes& f = frmBestTimes::instance();
        f.Form_Load();
        whenModal<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            box->button(QMessageBox::No)->click();
        });
        f.cmdReset_Click();
        QCOMPARE(f.RowTexts(1), QStringList({"1", "a", "1 ms"}));
        QCOMPARE(SlowestBestTime, 5.0f);

        whenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        f.cmdReset_Click();
        QCOMPARE(f.lsvScoresList->topLevelItemCount(), 5);
        QCOMPARE(f.RowTexts(5), QStringList({"5", "Anonymous", "999999 ms"}));
        QCOMPARE(SlowestBestTime, 999999.0f);
        f.reject();
        frmBestTimes::release();
        QVERIFY(!DialogOpen);
    }

    void theDialogHoldsTimedFightsWhileOpen()
    {
        frmMain& m = frmMain::instance();
        TimedFightStart = TimedFightLength = 300;
        m.mnuTimedFight->setChecked(true);
        m.mnuTimedFight->setEnabled(true);
        ScheduleFight(TimedFightStart, TimedFightLength);
        frmBestTimes& f = frmBestTimes::instance();
        f.Form_Load();
        QCOMPARE(TimedFight::RemainingTime(), -1);
        f.reject();
        frmBestTimes::release();
        // Armed afresh over the whole window on closing.
        QVERIFY(TimedFight::RemainingTime() >= 299000);
        StopFightTimer();
        m.mnuTimedFight->setChecked(false);
    }

    void killTimeComesFromTheEventsAndAddsOneToTwentyOneMs()
    {
        using C = frmDesktop::ClockReading;
        // Equal readings: only the random term, 1..21 ms.
        QCOMPARE(frmDesktop::KillTime(C{5000, 100}, C{5000, 100}, 0.0), 1.0f);
        QVERIFY(frmDesktop::KillTime(C{5000, 100}, C{5000, 100}, 0.999999) <= 21.0f);
        // The events' own times win over when we got round to handling them.
        QCOMPARE(frmDesktop::Elapsed(C{10000, 50}, C{10437, 520}), qint64(437));
        // Window-system time wraps at 32 bits; the difference is still right.
        QCOMPARE(frmDesktop::Elapsed(C{0xFFFFFF00u, 0}, C{0x100u, 512}), qint64(512));
        // Late in a day nothing is lost: millisecond readings stay exact.
        QCOMPARE(frmDesktop::KillTime(C{86'399'000u, 1000}, C{86'399'123u, 1123}, 0.0), 124.0f);
        // Timestamps that disagree with our clock (or are missing) give way to it.
        QCOMPARE(frmDesktop::Elapsed(C{10000, 50}, C{90000, 350}), qint64(300));
        QCOMPARE(frmDesktop::Elapsed(C{0, 50}, C{7000, 350}), qint64(300));
        QVERIFY(frmDesktop::KillTime(C{0, 500}, C{0, 400}, 0.0) >= 0.0f);
    }
};

QTEST_MAIN(TestBestTimes)
#include "test_besttimes.moc"
