// Figures of the fight history: what the end of a fight pays on its own path (taking the
// outcome and queueing the write), what the write itself costs once the window has gone, and
// how long the Statistics window takes to open on 100,000 recorded fights.
// `bench_history --fill FILE N` instead writes N made-up but plausible fights into FILE (the
// documentation's screenshot uses it).
#include "dialogs/frmStatistics.h"
#include "fight/FightHistory.h"
#include "fight/FightRecorder.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// CPU time of this thread in ms: the machine's other work does not count.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// A player over some weeks: mostly intermediate, getting faster, sometimes linked.
QVector<FightEntry> madeUpFights(int n)
{
    QRandomGenerator rng(20261206);
    const QStringList opponents{QStringLiteral("Mara"), QStringLiteral("Jonas"), QStringLiteral("Kite")};
    QVector<FightEntry> out;
    qint64 at = QDateTime::currentMSecsSinceEpoch() - qint64(n) * 3'600'000 / 3;
    for (int i = 0; i < n; ++i) {
        FightEntry f;
        at += 600'000 + rng.bounded(1'800'000);
        f.At = at;
        f.Skin = QStringLiteral("Base Skin");
        const double r = rng.generateDouble();
        f.Difficulty = r < 0.15 ? 1 : r < 0.8 ? 2 : r < 0.95 ? 3 : 4;
        const bool linked = rng.generateDouble() < 0.12;
        f.Origin = linked ? FightOrigin::Linked : (rng.generateDouble() < 0.6 ? FightOrigin::Timed : FightOrigin::FightNow);
        const double outcome = rng.generateDouble();
        f.Result = outcome < 0.72 ? FightResult::Kill : outcome < 0.9 ? FightResult::Lost : FightResult::Left;
        f.Shots = f.Result == FightResult::Left ? 0 : 1 + int(rng.bounded(6));
        if (linked) {
            f.Opponent = opponents[int(rng.bounded(opponents.size()))];
            f.Peer = f.Result == FightResult::Kill ? PeerResult::Won
                   : f.Result == FightResult::Lost ? PeerResult::Lost : PeerResult::None;
        } else if (f.Result == FightResult::Kill) {
            // Log-normal around a typical time that falls from 650 to 380 ms.
            const double typical = 380 + 270 * std::exp(-3.0 * i / std::max(1, n));
            const double u1 = std::max(1e-9, rng.generateDouble()), u2 = rng.generateDouble();
            const double z = std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
            f.KillMs = float(typical * (1 + 0.03 * f.Difficulty) * std::exp(0.22 * z));
        }
        out << f;
    }
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--fill") {
        QCoreApplication app(argc, argv);
        FightHistory h(QString::fromLocal8Bit(argv[2]));
        return h.RecordAll(madeUpFights(QByteArray(argv[3]).toInt())) ? 0 : 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    QApplication app(argc, argv);

    // On the fight's path: the outcome taken, the write queued.
    std::vector<double> onPath;
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer t;
        t.start();
        const FightEntry f = modGremlok::CurrentFightOutcome(412.5f);
        QMetaObject::invokeMethod(&app, [f] { (void)f; }, Qt::QueuedConnection);
        onPath.push_back(t.nsecsElapsed() / 1e3);
    }
    QCoreApplication::processEvents();

    // Off it: one fight, one transaction, into a history that already holds some.
    FightHistory h(dir.filePath(QStringLiteral("write.sqlite")));
    h.RecordAll(madeUpFights(1000));
    const QVector<FightEntry> some = madeUpFights(200);
    std::vector<double> writes;
    for (const FightEntry& f : some) {
        QElapsedTimer t;
        t.start();
        if (!h.Record(f))
            return 1;
        writes.push_back(t.nsecsElapsed() / 1e6);
    }

    // The window on 100,000 fights: reading them, working the figures out, the first paint.
    if (!modGremlok::TheFightHistory().RecordAll(madeUpFights(100'000)))
        return 1;
    std::vector<double> loads, fills, opens, cpu, readCpu;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        frmStatistics w;
        QElapsedTimer step;
        step.start();
        const double readCpu0 = cpuMs();
        const QVector<FightEntry> fights = modGremlok::TheFightHistory().Load(FightHistory::Figures);
        loads.push_back(step.nsecsElapsed() / 1e6);
        readCpu.push_back(cpuMs() - readCpu0);
        step.restart();
        w.SetHistory(fights);
        fills.push_back(step.nsecsElapsed() / 1e6);
        w.show();
        w.grab();
        opens.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - cpu0);
    }

    std::printf("history: taking a fight's outcome on its path: median %.2f us (%zu runs)\n",
                median(onPath), onPath.size());
    std::printf("history: writing one fight after its window closed: median %.2f ms (%zu runs)\n",
                median(writes), writes.size());
    std::printf("history: 100000 fights: read %.1f ms (%.1f ms of CPU), figures and charts %.1f ms, window open and painted %.1f ms"
                " (%.1f ms of CPU) (medians of %zu)\n",
                median(loads), median(readCpu), median(fills), median(opens), median(cpu), opens.size());
    return 0;
}
