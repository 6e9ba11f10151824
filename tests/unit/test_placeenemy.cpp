// Where the enemy appears: always wholly on the screen, far enough from the pointer when the
// screen allows it, in the quarter the direction picks, and never a hang when no direction
// has room.
#include "fight/PlaceEnemy.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>

namespace {
std::function<double()> seeded(quint32 seed)
{
    auto rng = std::make_shared<QRandomGenerator>(seed);
    return [rng] { return rng->generateDouble(); };
}
// Cycles through fixed numbers, for choosing directions by hand.
std::function<double()> fixed(QVector<double> values)
{
    auto i = std::make_shared<int>(0);
    return [values, i] { return values[(*i)++ % values.size()]; };
}
} // namespace

class TestPlaceEnemy : public QObject {
    Q_OBJECT
private slots:
    void alwaysOnScreenAndAtLeastTheMinimumDistance()
    {
        struct Case { int sw, sh, spw, sph; };
        const Case cases[] = {{1920, 1080, 80, 100}, {1280, 800, 64, 64}, {800, 600, 200, 150}};
        auto random = seeded(7);
        for (const Case& c : cases)
            for (int difficulty = 1; difficulty <= 4; ++difficulty)
                for (int i = 0; i < 400; ++i) {
                    const int px = int(random() * c.sw), py = int(random() * c.sh);
                    const QPoint e = PlaceEnemyFrom(px, py, c.sw, c.sh, c.spw, c.sph, difficulty, random);
                    QVERIFY(e.x() >= 0 && e.x() <= c.sw - c.spw);
                    QVERIFY(e.y() >= 0 && e.y() <= c.sh - c.sph);
                    if (difficulty == 1 && c.sw == 1920) {
                        // Beginner on a large screen always finds room for the minimum.
                        const double dist = std::hypot(e.x() - px, e.y() - py);
                        QVERIFY2(dist >= std::round((c.sw + c.sh) / 10.0) - 2,
                                 qPrintable(QStringLiteral("only %1 px from the pointer").arg(dist)));
                    }
                }
    }

    void directionPicksTheQuarter_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        // r is the direction's share of a full turn: below a quarter right-and-up, then
        // right-and-down, left-and-down, left-and-up.
        QTest::newRow("right up") << 0.125 << 1 << -1;
        QTest::newRow("right down") << 0.375 << 1 << 1;
        QTest::newRow("left down") << 0.625 << -1 << 1;
        QTest::newRow("left up") << 0.875 << -1 << -1;
    }
    void directionPicksTheQuarter()
    {
        QFETCH(double, r);
        QFETCH(int, sx);
        QFETCH(int, sy);
        const QPoint e = PlaceEnemyFrom(960, 540, 1920, 1080, 50, 50, 1, fixed({r, 0.5}));
        QCOMPARE(e.x() > 960 ? 1 : -1, sx);
        QCOMPARE(e.y() > 540 ? 1 : -1, sy);
    }

    void pointerAtTheEdgeRejectsDirectionsWithoutRoom()
    {
        // Pointer in the top-left corner: every leftward or upward direction has no room; the
        // first usable direction (right and down) is taken.
        const QPoint e = PlaceEnemyFrom(0, 0, 1920, 1080, 50, 50, 1, fixed({0.9, 0.1, 0.6, 0.3, 0.5}));
        QVERIFY(e.x() > 0 && e.y() > 0);
        // Pointer off the screen (another monitor) counts as the nearest edge.
        const QPoint f = PlaceEnemyFrom(5000, -300, 1920, 1080, 50, 50, 2, seeded(3));
        QVERIFY(f.x() >= 0 && f.x() <= 1870 && f.y() >= 0 && f.y() <= 1030);
    }

    void noRoomAnywhereEndsAtTheFarthestPoint()
    {
        // A sprite nearly as large as the screen at Expert: no direction reaches the minimum.
        QElapsedTimer t;
        t.start();
        const QPoint e = PlaceEnemyFrom(400, 300, 800, 600, 700, 500, 3, seeded(11));
        QVERIFY(t.elapsed() < 1000);
        QVERIFY(e.x() >= 0 && e.x() <= 100 && e.y() >= 0 && e.y() <= 100);
        // As far as the room allows: some corner of the allowed area, not the pointer's spot.
        QVERIFY(std::hypot(e.x() - 400, e.y() - 300) > 200);
        // A sprite larger than the screen still lands at the origin.
        const QPoint g = PlaceEnemyFrom(10, 10, 320, 200, 640, 400, 3, seeded(5));
        QCOMPARE(g, QPoint(0, 0));
        // A random source stuck on one bad direction does not hang either.
        const QPoint h = PlaceEnemyFrom(0, 0, 1920, 1080, 50, 50, 3, fixed({0.75}));
        QVERIFY(h.x() >= 0 && h.y() >= 0);
    }
};

QTEST_MAIN(TestPlaceEnemy)
#include "test_placeenemy.moc"
