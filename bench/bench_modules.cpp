// What loading the modules adds the first time they are needed, each in a fresh process (a
// module is loaded once per process): the fight history's module with Qt SQL at the end of the
// first fight, the Statistics window's module with Qt Charts at its first opening.
// `bench_modules [runs]`; the modules are taken from the folder above this program's.
#include "dialogs/StatisticsModule.h"
#include "dialogs/frmStatistics.h"
#include "fight/FightHistory.h"
#include "fight/FightRecorder.h"
#include "platform/OptionalModule.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double msSince(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

// One fresh process: prints "load first later" in ms for the history, "load" for the window.
int once(const QByteArray& what)
{
    QElapsedTimer t;
    if (what == "history") {
        t.start();
        platform::OptionalModule history(QStringLiteral("gremlok_history"));
        const auto record = history.Function<decltype(&gremlok_history_record)>("gremlok_history_record");
        const double load = msSince(t);
        if (!record) {
            std::fprintf(stderr, "%s\n", qPrintable(history.ErrorString()));
            return 1;
        }
        // The program's own path: the outcome, then the queued write.
        const auto fightEnd = [] {
            QElapsedTimer w;
            w.start();
            modGremlok::RememberFight(412.5f);
            QCoreApplication::processEvents();
            return msSince(w);
        };
        const double first = fightEnd();
        const double later = fightEnd();
        std::printf("%.2f %.2f %.2f\n", load, first, later);
        return 0;
    }
    // The window's entry point is kept in this program as in the real one, which the module needs.
    volatile auto keep = &modGremlok::ShowStatistics;
    (void)keep;
    t.start();
    platform::OptionalModule statistics(QStringLiteral("gremlok_statistics"));
    if (!statistics.Function<decltype(&gremlok_statistics_show)>("gremlok_statistics_show")) {
        std::fprintf(stderr, "%s\n", qPrintable(statistics.ErrorString()));
        return 1;
    }
    std::printf("%.2f\n", msSince(t));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    QApplication app(argc, argv);
    platform::OptionalModule::SetFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    if (argc == 3 && QByteArray(argv[1]) == "--once")
        return once(argv[2]);

    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    std::vector<double> historyLoad, firstEnd, laterEnd, windowLoad;
    for (int i = 0; i < runs; ++i) {
        for (const char* what : {"history", "statistics"}) {
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once"), QString::fromLatin1(what)});
            if (!p.waitForFinished(30000) || p.exitCode() != 0) {
                std::fprintf(stderr, "%s run failed: %s\n", what, p.readAllStandardError().constData());
                return 1;
            }
            const QList<QByteArray> f = p.readAllStandardOutput().simplified().split(' ');
            if (f.size() == 3) {
                historyLoad.push_back(f[0].toDouble());
                firstEnd.push_back(f[1].toDouble());
                laterEnd.push_back(f[2].toDouble());
            } else {
                windowLoad.push_back(f.value(0).toDouble());
            }
        }
    }
    std::printf("modules: history module (Qt SQL) loaded in a median %.1f ms; the first fight's write then %.1f ms,"
                " a later one %.1f ms (medians of %d fresh processes)\n",
                median(historyLoad), median(firstEnd), median(laterEnd), runs);
    std::printf("modules: Statistics module (Qt Charts) loaded in a median %.1f ms before the window's first opening"
                " (%d fresh processes)\n", median(windowLoad), runs);
    return 0;
}
