// The gun: which slot each miss uses and settles, what a hit in between does to the settling,
// and what the marks look like on the target. (The pointer's kick is checked end to end.)
#include "fight/DrawTarget.h"
#include "fight/Weapon.h"
#include "platform/Raster.h"

#include <QTest>

namespace {
const QRgb kDesk = qRgb(40, 90, 160);
const QRgb kGrey = qRgb(239, 239, 239);
// A plain image standing in for the fight window; remembers what was pushed to the screen.
struct ImageTarget : DrawTarget {
    QImage img = platform::Raster::NewSurface(200, 120, kDesk);
    QVector<QRect> flushed;
    QImage& Surface() override { return img; }
    void Flush(const QRect& r) override { flushed << r; }
};
// The settled hole's black pixel (row 4, column 7 of the 12x12 picture centred on x, y).
bool holeAt(const QImage& img, int x, int y) { return (img.pixel(x - 6 + 7, y - 6 + 3) & 0xFFFFFF) == 0; }
} // namespace

class TestWeapon : public QObject {
    Q_OBJECT
private slots:
    void imagesAreBlackWhereTheirMasksAreTransparent()
    {
        // Otherwise OR-drawing would tint the desktop around the mark.
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
        for (int shot = 1; shot <= 6; ++shot) {
            w.FireMiss(t, 20 * shot, 50);
            QCOMPARE(w.Slot(7 - shot).x, 20 * shot);
            QVERIFY(!w.Slot(7 - shot).Patch.isNull());
        }
        QVERIFY(w.IsEmpty());
        for (int settle = 1; settle <= 6; ++settle) {
            w.DrawHole(t);
            QVERIFY2(w.Slot(7 - settle).Patch.isNull(), "the settled slot keeps its patch");
            QCOMPARE(int(w.HolesSettled()), settle);
        }
        // Every hole settled: its black pixel there, no splat grey left around it.
        for (int shot = 1; shot <= 6; ++shot) {
            QVERIFY(holeAt(t.img, 20 * shot, 50));
            QVERIFY(t.img.pixel(20 * shot - 6 + 5, 50 - 6 + 4) != kGrey);
        }
        w.Reload();
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
        w.FireMiss(t, 160, 30);   // slot 4
        QCOMPARE(w.Slot(5).x, -1);
        QCOMPARE(w.Slot(4).x, 160);
        w.DrawHole(t);
        QVERIFY(w.Slot(4).Patch.isNull());
        QVERIFY(holeAt(t.img, 160, 30));
    }

    void hitWithinTheSettleDelayLeavesTheSplat()
    {
        Weapon w;
        ImageTarget t;
        w.FireMiss(t, 40, 40);    // splat in slot 6
        w.FireHit(t, 120, 40);    // before the 33 ms settle
        w.DrawHole(t);            // settle for the miss: finds slot 5, empty, only counts
        w.DrawHole(t);
        QCOMPARE(int(w.HolesSettled()), 2);
        QCOMPARE(t.img.pixel(40 - 6 + 5, 40 - 6 + 4), kGrey);
        QVERIFY(!w.Slot(6).Patch.isNull());
    }

    void holeRestoresTheDesktopAroundItAndEdgesClip()
    {
        Weapon w;
        ImageTarget t;
        w.FireMiss(t, 60, 60);
        QCOMPARE(t.img.pixel(60 - 6 + 5, 60 - 6 + 4), kGrey);
        QCOMPARE(t.flushed.last(), QRect(54, 54, 12, 12));
        w.DrawHole(t);
        const QImage& mask = Weapon::Picture(1);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                QCOMPARE(t.img.pixel(54 + x, 54 + y), (mask.pixel(x, y) & 0xFFFFFF) ? kDesk : qRgb(0, 0, 0));
        // Marks at the very edges are clipped, not a crash, and settle.
        w.FireMiss(t, 0, 0);
        w.FireMiss(t, 199, 119);
        w.DrawHole(t);
        w.DrawHole(t);
        QCOMPARE(int(w.HolesSettled()), 3);
    }
};

QTEST_MAIN(TestWeapon)
#include "test_weapon.moc"
