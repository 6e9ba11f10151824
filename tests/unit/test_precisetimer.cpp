// The fight's animation timers: they keep to their schedule and never run early, a stop drops
// a tick already due, and a handler may stop or delete its own timer.
#include "core/FormTimer.h"
#include "platform/PreciseTimer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QThread>

class TestPreciseTimer : public QObject {
    Q_OBJECT
private slots:
    void ticksRepeatAndNeverComeEarly()
    {
        platform::PreciseTimer timer;
        QElapsedTimer clock;
        std::vector<qint64> at;
        connect(&timer, &platform::PreciseTimer::timeout, [&] { at.push_back(clock.nsecsElapsed()); });
        clock.start();
        timer.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(at.size() >= 4, 10000);
        for (size_t i = 0; i < at.size(); ++i)
            QVERIFY2(at[i] >= qint64(i + 1) * 20'000'000, qPrintable(QString::number(at[i])));
        // Restarting counts from the restart, with the new interval.
        at.clear();
        clock.start();
        timer.start(50);
        QTRY_VERIFY_WITH_TIMEOUT(!at.empty(), 10000);
        QVERIFY(at[0] >= 50'000'000);

        // A handler that overruns two periods: the ticks it missed are dropped, and the next
        // one is still on the schedule, not straight after the handler.
        timer.stop();
        platform::PreciseTimer slow;
        at.clear();
        connect(&slow, &platform::PreciseTimer::timeout, [&] {
            at.push_back(clock.nsecsElapsed());
            if (at.size() == 1)
                QThread::msleep(25);
        });
        clock.start();
        slow.start(10);
        QTRY_VERIFY_WITH_TIMEOUT(at.size() >= 3, 10000);
        slow.stop();
        for (size_t i = 1; i < at.size(); ++i)
            QVERIFY2(at[i] >= qint64(i + 2) * 10'000'000, qPrintable(QString::number(at[i])));
    }

    void stoppedTimersStayQuiet_data()
    {
        QTest::addColumn<bool>("formTimer");
        QTest::newRow("PreciseTimer") << false;
        QTest::newRow("FormTimer") << true;
    }
    void stoppedTimersStayQuiet()
    {
        // A tick that fell due while the program was busy must not arrive after the stop: it
        // would draw a frame of a fight that has ended.
        QFETCH(bool, formTimer);
        int ticks = 0;
        platform::PreciseTimer precise;
        FormTimer form(nullptr, Qt::PreciseTimer);
        connect(&precise, &platform::PreciseTimer::timeout, [&] { ++ticks; });
        connect(&form, &FormTimer::Timer, [&] { ++ticks; });
        if (formTimer) {
            form.setInterval(2);
            form.setEnabled(true);
        } else {
            precise.start(2);
        }
        QThread::msleep(30);
        if (formTimer)
            form.setEnabled(false);
        else
            precise.stop();
        QTest::qWait(60);
        QCOMPARE(ticks, 0);
        // An enabled form timer with no interval never fires either.
        form.setInterval(0);
        form.setEnabled(true);
        QTest::qWait(30);
        QCOMPARE(ticks, 0);
    }

    void aHandlerMayStopOrDeleteItsTimer()
    {
        int ticks = 0;
        platform::PreciseTimer stopping;
        connect(&stopping, &platform::PreciseTimer::timeout, [&] { ++ticks; stopping.stop(); });
        stopping.start(2);
        QPointer<platform::PreciseTimer> doomed = new platform::PreciseTimer;
        connect(doomed, &platform::PreciseTimer::timeout, [&] { delete doomed.data(); });
        doomed->start(2);
        QTRY_VERIFY_WITH_TIMEOUT(doomed.isNull(), 10000);
        QTest::qWait(30);
        QCOMPARE(ticks, 1);
        QVERIFY(!stopping.isActive());
    }

    void aSingleShotFiresOnceAndGoesWithItsOwner()
    {
        // The settle delay of a bullet hole: once, never early, and never for a fight window
        // that has closed in the meantime.
        QObject owner;
        QElapsedTimer clock;
        std::vector<qint64> at;
        clock.start();
        platform::PreciseTimer::singleShot(15, &owner, [&] { at.push_back(clock.nsecsElapsed()); });
        QTRY_VERIFY_WITH_TIMEOUT(!at.empty(), 10000);
        QVERIFY2(at[0] >= 15'000'000, qPrintable(QString::number(at[0])));
        QTest::qWait(60);
        QCOMPARE(at.size(), size_t(1));
        QTRY_VERIFY(owner.findChildren<platform::PreciseTimer*>().isEmpty());

        int late = 0;
        auto* closing = new QObject;
        platform::PreciseTimer::singleShot(5, closing, [&] { ++late; });
        delete closing;
        QTest::qWait(40);
        QCOMPARE(late, 0);
    }
};

QTEST_GUILESS_MAIN(TestPreciseTimer)
#include "test_precisetimer.moc"
