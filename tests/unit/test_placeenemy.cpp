// Where the enemy appears: always wholly on the screen, far enough from the pointer when the
// screen allows it, in the quarter the direction picks, and never a hang when no direction
// has room.
#include "fight/PlaceEnemy.h"

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
        auto random = seeded(7);
        for (const Case& c : {Case{1920, 1080, 80, 100}, Case{1280, 800, 64, 64}, Case{800, 600, 200, 150}})
            for (int difficulty = 1; difficulty <= 4; ++difficulty)
                for (int i = 0; i < 400; ++i) {
                    const int px = int(random() * c.sw), py = int(random() * c.sh);
                    const QPoint e = PlaceEnemyFrom(px, py, c.sw, c.sh, c.spw, c.sph, difficulty, random);
                    QVERIFY(e.x() >= 0 && e.x() <= c.sw - c.spw && e.y() >= 0 && e.y() <= c.sh - c.sph);
                    // Beginner on a large screen always finds room for the minimum.
                    if (difficulty == 1 && c.sw == 1920)
                        QVERIFY(std::hypot(e.x() - px, e.y() - py) >= std::round((c.sw + c.sh) / 10.0) - 2);
                }
    }

    void directionPicksTheQuarter_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        // r is the direction's share of a full turn.
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

    void noRoomNeverHangsAndStaysOnScreen()
    {
        // Pointer in the top-left corner: leftward and upward directions have no room, the
        // first usable one (right and down) is taken.
        const QPoint e = PlaceEnemyFrom(0, 0, 1920, 1080, 50, 50, 1, fixed({0.9, 0.1, 0.6, 0.3, 0.5}));
        QVERIFY(e.x() > 0 && e.y() > 0);
        // Pointer on another monitor counts as the nearest edge.
        const QPoint f = PlaceEnemyFrom(5000, -300, 1920, 1080, 50, 50, 2, seeded(3));
        QVERIFY(f.x() >= 0 && f.x() <= 1870 && f.y() >= 0 && f.y() <= 1030);
        // A sprite nearly as large as the screen at Expert: as far as the room allows.
        const QPoint g = PlaceEnemyFrom(400, 300, 800, 600, 700, 500, 3, seeded(11));
        QVERIFY(g.x() >= 0 && g.x() <= 100 && g.y() >= 0 && g.y() <= 100);
        QVERIFY(std::hypot(g.x() - 400, g.y() - 300) > 200);
        // A sprite larger than the screen lands at the origin.
        QCOMPARE(PlaceEnemyFrom(10, 10, 320, 200, 640, 400, 3, seeded(5)), QPoint(0, 0));
        // A random source stuck on one bad direction does not hang either.
        const QPoint h = PlaceEnemyFrom(0, 0, 1920, 1080, 50, 50, 3, fixed({0.75}));
        QVERIFY(h.x() >= 0 && h.y() >= 0);
    }
};

QTEST_MAIN(TestPlaceEnemy)
#include "test_placeenemy.moc"
