// The fight history: the statistics worked out from known fights, the store's migration from
// the first layout, and a file that cannot be used.
#include "fight/FightHistory.h"
#include "fight/FightStats.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

Q_DECLARE_METATYPE(QVector<double>)

namespace {
FightEntry kill(double ms, int difficulty = 2)
{
    FightEntry f;
    f.Result = FightResult::Kill;
    f.KillMs = ms;
    f.Difficulty = difficulty;
    return f;
}
FightEntry fight(FightResult r, int difficulty = 2, const QString& opponent = {}, PeerResult peer = PeerResult::None)
{
    FightEntry f;
    f.Result = r;
    f.Difficulty = difficulty;
    f.Opponent = opponent;
    f.Peer = peer;
    if (peer != PeerResult::None)
        f.Origin = FightOrigin::Linked;
    return f;
}
} // namespace

class TestFightHistory : public QObject {
    Q_OBJECT
private slots:
    void median_data()
    {
        QTest::addColumn<QVector<double>>("values");
        QTest::addColumn<double>("expected");
        QTest::newRow("one") << QVector<double>{5} << 5.0;
        QTest::newRow("odd, unsorted") << QVector<double>{300, 100, 200} << 200.0;
        QTest::newRow("even: mean of the middle two") << QVector<double>{40, 10, 30, 20} << 25.0;
        QTest::newRow("ties") << QVector<double>{7, 7, 1, 7} << 7.0;
    }
    void median()
    {
        QFETCH(QVector<double>, values);
        QFETCH(double, expected);
        QCOMPARE(FightStats::Median(values), expected);
    }

    void rollingMedian_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QVector<double>>("expected");
        // Values 10 30 20 50 40 5.
        QTest::newRow("window 3") << 3 << QVector<double>{10, 20, 20, 30, 40, 40};
        QTest::newRow("window 1: the values") << 1 << QVector<double>{10, 30, 20, 50, 40, 5};
        QTest::newRow("window longer than the run") << 10 << QVector<double>{10, 20, 20, 25, 30, 25};
        QTest::newRow("even window") << 2 << QVector<double>{10, 20, 25, 35, 45, 22.5};
    }
    void rollingMedian()
    {
        QFETCH(int, window);
        QFETCH(QVector<double>, expected);
        QCOMPARE(FightStats::RollingMedian({10, 30, 20, 50, 40, 5}, window), expected);
    }

    void summaryAndFilter()
    {
        QVector<FightEntry> fights;
        for (int i = 1; i <= 12; ++i)
            fights << kill(i * 100.0, 2);       // intermediate: 100 .. 1200 ms
        fights << fight(FightResult::Lost, 3) << fight(FightResult::Left, 3) << kill(50, 3);
        fights << fight(FightResult::Kill, 2, QStringLiteral("Ann"), PeerResult::Won)
               << fight(FightResult::Lost, 2, QStringLiteral("ann "), PeerResult::Lost)
               << fight(FightResult::Lost, 2, QStringLiteral("Bob"), PeerResult::Lost);

        const FightSummary all = FightStats::Summarize(FightStats::Filter(fights, 0));
        QCOMPARE(all.Fights, 18);
        QCOMPARE(all.Kills, 14);        // the linked kill counts, though it has no time
        QCOMPARE(all.Losses, 3);
        QCOMPARE(all.Left, 1);
        QCOMPARE(all.All.Count, 13);
        QCOMPARE(all.All.Best, 50.0);
        QCOMPARE(all.All.Median, 600.0);
        // The last ten timed kills: 400 .. 1200 and 50.
        QCOMPARE(all.Last10.Count, 10);
        QCOMPARE(all.Last10.Median, 750.0);
        QCOMPARE(all.Last10.Best, 50.0);
        QCOMPARE(all.Opponents.size(), 2);
        QCOMPARE(all.Opponents[0].Opponent, QStringLiteral("Ann"));
        QCOMPARE(all.Opponents[0].Wins, 1);
        QCOMPARE(all.Opponents[0].Losses, 1);
        QCOMPARE(all.Opponents[1].Opponent, QStringLiteral("Bob"));
        QCOMPARE(all.Opponents[1].Losses, 1);

        const FightSummary expert = FightStats::Summarize(FightStats::Filter(fights, 3));
        QCOMPARE(expert.Fights, 3);
        QCOMPARE(expert.Kills, 1);
        QCOMPARE(expert.All.Median, 50.0);
        QVERIFY(expert.Opponents.isEmpty());

        const FightSummary beginner = FightStats::Summarize(FightStats::Filter(fights, 1));
        QCOMPARE(beginner.Fights, 0);
        QVERIFY(std::isnan(beginner.All.Median) && std::isnan(beginner.Last10.Best));
    }

    void histogram()
    {
        const FightStats::Histogram h = FightStats::MakeHistogram({101, 149, 150, 260});
        QCOMPARE(h.First, 100.0);
        QCOMPARE(h.Width, 100.0);
        QCOMPARE(h.Counts, (QVector<int>{3, 1}));
        QVERIFY(FightStats::MakeHistogram({}).Counts.isEmpty());
        const FightStats::Histogram one = FightStats::MakeHistogram({333, 333});
        QCOMPARE(one.Counts, QVector<int>{2});
    }

    void csv()
    {
        FightEntry linked = fight(FightResult::Kill, 2, QStringLiteral("=HYPERLINK(\"x\")"), PeerResult::Won);
        linked.At = 1'700'000'000'000;
        FightEntry timed = kill(412.5f);
        timed.Skin = QStringLiteral("Skin, with comma");
        const QStringList lines = FightStats::Csv({linked, timed}).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[1], QStringLiteral("2023-11-14T22:13:20.000Z,linked,2,,kill,,0,\"'=HYPERLINK(\"\"x\"\")\",won"));
        QVERIFY2(lines[2].contains(QStringLiteral(",\"Skin, with comma\",kill,412.5,")), qPrintable(lines[2]));
    }

    // A file of the first layout (no linked-fight columns) keeps its fights and takes new ones.
    void migrationFromFirstLayout()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral(
                "CREATE TABLE fights (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, origin TEXT NOT NULL,"
                " difficulty INTEGER NOT NULL, skin TEXT NOT NULL, result TEXT NOT NULL, kill_ms REAL,"
                " shots INTEGER NOT NULL)")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO fights VALUES (1, 1000, 'timed', 3, 'Base Skin', 'kill', 321.5, 2)")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 1")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));

        {
            FightHistory h(path);
            QVERIFY(h.Record(fight(FightResult::Lost, 2, QStringLiteral("Ann"), PeerResult::Lost)));
            QVERIFY(h.MovedAsideTo().isEmpty());
        }
        FightHistory h(path);
        const QVector<FightEntry> fights = h.Load();
        QCOMPARE(fights.size(), 2);
        QCOMPARE(fights[0].Origin, FightOrigin::Timed);
        QCOMPARE(fights[0].KillMs, 321.5);
        QCOMPARE(fights[0].Shots, 2);
        QCOMPARE(fights[0].Peer, PeerResult::None);
        QCOMPARE(fights[1].Opponent, QStringLiteral("Ann"));
        QCOMPARE(fights[1].Peer, PeerResult::Lost);
        // The window's quicker read gives the same figures.
        const QVector<FightEntry> figures = h.Load(FightHistory::Figures);
        QCOMPARE(figures.size(), 2);
        QCOMPARE(figures[0].KillMs, 321.5);
        QCOMPARE(figures[1].KillMs, -1.0);
        QCOMPARE(figures[1].Peer, PeerResult::Lost);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(QStringLiteral("PRAGMA user_version"), db);
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), FightHistory::SchemaVersion);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // (Garbage moved aside is test_history_damaged's.) A fight with no kill time still reads
    // back through the quick read; a newer program's file is left alone.
    void unusableFiles()
    {
        QTemporaryDir dir;
        FightHistory h(dir.filePath(QStringLiteral("history.sqlite")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral("line up")));
        QVERIFY(h.Record(fight(FightResult::Left)));
        const QVector<FightEntry> left = h.Load(FightHistory::Figures);
        QCOMPARE(left.size(), 1);
        QCOMPARE(left[0].Result, FightResult::Left);
        QCOMPARE(left[0].KillMs, -1.0);
        QVERIFY(h.Clear());
        QVERIFY(h.Load(FightHistory::Figures).isEmpty());

        const QString newer = dir.filePath(QStringLiteral("newer.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(newer);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE future (x)")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 99")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        FightHistory n(newer);
        QVERIFY(!n.Record(kill(250)));
        QVERIFY(n.MovedAsideTo().isEmpty());
        QVERIFY(QFile::exists(newer));
    }
};

QTEST_GUILESS_MAIN(TestFightHistory)
#include "test_fighthistory.moc"
