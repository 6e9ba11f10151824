// The gun: which slot each miss uses and settles, what a hit in between does to the settling,
// and what the marks look like on the target. (The pointer's kick is checked end to end.)
#include "fight/DrawTarget.h"
#include "fight/Weapon.h"
#include "platform/Raster.h"

#include <QTest>

namespace {
// A plain image standing in for the fight window; remembers what was pushed to the screen.
struct ImageTarget : DrawTarget {
    QImage img = platform::Raster::NewSurface(200, 120, qRgb(40, 90, 160));
    QVector<QRect> flushed;
    QImage& Surface() override { return img; }
    void Flush(const QRect& r) override { flushed << r; }
};
const QRgb kDesk = qRgb(40, 90, 160);
const QRgb kGrey = qRgb(239, 239, 239);
} // namespace

class TestWeapon : public QObject {
    Q_OBJECT
private slots:
    void masksAndImagesAgree()
    {
        QCOMPARE(Weapon::Picture(4).size(), QSize(12, 12));
        QCOMPARE(Weapon::Picture(6).size(), QSize(8, 9));
        // Every image is black wherever its mask is transparent, or OR-drawing would tint the
        // desktop around the mark.
        for (int m : {1, 3, 5})
            for (int y = 0; y < Weapon::Picture(m).height(); ++y)
                for (int x = 0; x < Weapon::Picture(m).width(); ++x)
                    if ((Weapon::Picture(m).pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                        QCOMPARE(Weapon::Picture(m + 1).pixel(x, y) & 0xFFFFFF, 0u);
    }

    void sixMissesUseSlotsSixToOneAndSettleInThatOrder()
    {
        Weapon w;
        ImageTarget t;
        QVERIFY(!w.HasFired());
        for (int shot = 1; shot <= 6; ++shot) {
            QVERIFY(!w.IsEmpty());
            w.FireMiss(t, 20 * shot, 50);
            const int slot = 7 - shot;
            QCOMPARE(w.Slot(slot).x, 20 * shot);
            QVERIFY(!w.Slot(slot).Patch.isNull());
            QVERIFY(w.HasFired());
            QCOMPARE(int(w.BulletsFired()), shot);
        }
        QVERIFY(w.IsEmpty());
        // A shot with an empty gun changes nothing (the caller plays the click instead).
        const QImage before = t.img.copy();
        w.FireMiss(t, 150, 100);
        w.FireHit(t, 150, 100);
        QVERIFY(w.IsEmpty());
        QCOMPARE(t.img, before);

        for (int settle = 1; settle <= 6; ++settle) {
            const int slot = 7 - settle;
            QVERIFY(!w.Slot(slot).Patch.isNull());
            w.DrawHole(t);
            QVERIFY2(w.Slot(slot).Patch.isNull(), "the settled slot keeps its patch");
            QCOMPARE(int(w.HolesSettled()), settle);
        }
        // Settled holes: splat grey gone, the hole's black pixel at row 4, column 7 there.
        for (int shot = 1; shot <= 6; ++shot) {
            const int left = 20 * shot - 6, top = 50 - 6;
            QCOMPARE(t.img.pixel(left + 7, top + 3) & 0xFFFFFF, 0u);
            for (int y = top; y < top + 12; ++y)
                for (int x = left; x < left + 12; ++x)
                    QVERIFY(t.img.pixel(x, y) != kGrey);
        }
        w.Reload();
        QVERIFY(!w.HasFired());
        QCOMPARE(int(w.BulletsLeft()), 6);
        QCOMPARE(w.Slot(6).x, -1);
    }

    void missHitMissSettlesSlotsSixAndFour()
    {
        Weapon w;
        ImageTarget t;
        w.FireMiss(t, 30, 30);    // slot 6
        w.DrawHole(t);
        w.FireHit(t, 100, 60);    // no slot
        QCOMPARE(int(w.HitCount()), 1);
        w.FireMiss(t, 160, 30);   // slot 4
        QCOMPARE(w.Slot(5).x, -1);
        QCOMPARE(w.Slot(4).x, 160);
        w.DrawHole(t);
        QVERIFY(w.Slot(4).Patch.isNull());
        QCOMPARE(t.img.pixel(160 - 6 + 7, 30 - 6 + 3) & 0xFFFFFF, 0u);
        // The blood splash is where the hit was; its top follows y's parity (halves to even).
        QCOMPARE(t.img.pixel(100 - 4, 60 - 4), qRgb(198, 24, 8));
        ImageTarget t2;
        w.Reload();
        w.FireHit(t2, 100, 61);
        QCOMPARE(t2.img.pixel(100 - 4, 61 - 5), qRgb(198, 24, 8));
    }

    void hitWithinTheSettleDelayLeavesTheSplat()
    {
        Weapon w;
        ImageTarget t;
        w.FireMiss(t, 40, 40);    // splat in slot 6
        w.FireHit(t, 120, 40);    // before the 33 ms settle
        w.DrawHole(t);            // settle for the miss: finds slot 5, empty, only counts
        w.DrawHole(t);            // settle for nothing further
        QCOMPARE(int(w.HolesSettled()), 2);
        // The splat's grey is still on screen and slot 6 keeps its patch.
        QCOMPARE(t.img.pixel(40 - 6 + 5, 40 - 6 + 4), kGrey);
        QVERIFY(!w.Slot(6).Patch.isNull());
    }

    void splatThenHoleRestoresTheDesktopAroundIt()
    {
        Weapon w;
        ImageTarget t;
        w.FireMiss(t, 60, 60);
        QCOMPARE(t.img.pixel(60 - 6 + 5, 60 - 6 + 4), kGrey);
        QCOMPARE(t.flushed.last(), QRect(54, 54, 12, 12));
        w.DrawHole(t);
        // Outside the hole's black pixels the desktop is back exactly.
        const QImage& mask = Weapon::Picture(1);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const QRgb expect = (mask.pixel(x, y) & 0xFFFFFF) ? kDesk : qRgb(0, 0, 0);
                QCOMPARE(t.img.pixel(54 + x, 54 + y), expect);
            }
        // A mark at the very edge is clipped, not a crash, and settles.
        w.FireMiss(t, 0, 0);
        w.FireMiss(t, 199, 119);
        w.DrawHole(t);
        w.DrawHole(t);
        QCOMPARE(int(w.HolesSettled()), 3);
    }

};

QTEST_MAIN(TestWeapon)
#include "test_weapon.moc"
