// The kick drawn where the pointer cannot be moved: the fight pointer's picture jumps by the
// kick around an unmoved hot spot, and comes back afterwards.
#include "core/modGremlok.h"
#include "fight/frmDesktop.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QTest>

using namespace modGremlok;

namespace {
// Where the picture's first opaque pixel lies, seen from the hot spot.
QPoint firstOpaqueFromHotSpot(const QCursor& c)
{
    const QImage img = c.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0)
                return QPoint(x, y) - c.hotSpot();
    return QPoint(-9999, -9999);
}
} // namespace

class TestRecoil : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        frmMain::instance();
        InitBestTimes();
        ReadScreenMetrics();
        AnimationSpeed = 30000;
        AttackInterval = 25000;
        FirstRun = false;
        AutoUnload = false;
        Pointer = 1;
        frmMain::instance().mnuFightNow->setEnabled(true);
        frmMain::instance().mnuDisconnect->setVisible(false);
    }
    void cleanup()
    {
        SlowestBestTime = -1;
        if (frmDesktop* f = frmDesktop::existing())
            f->EndFight();
        QTRY_VERIFY(!frmDesktop::isLoaded());
    }

    void theKickIsDrawnAndUndone_data()
    {
        QTest::addColumn<QPoint>("first");
        QTest::addColumn<QPoint>("second");   // a second kick during the first; (0,0): none
        QTest::newRow("left and up") << QPoint(-7, -13) << QPoint();
        QTest::newRow("right, barely up") << QPoint(10, -1) << QPoint();
        QTest::newRow("straight up, the longest") << QPoint(0, -20) << QPoint();
        QTest::newRow("a kick during a kick") << QPoint(-4, -18) << QPoint(9, -3);
    }
    void theKickIsDrawnAndUndone()
    {
        QFETCH(QPoint, first);
        QFETCH(QPoint, second);
        frmDesktop& f = frmDesktop::instance();
        f.Show();
        const QCursor resting = f.cursor();
        QVERIFY(!resting.pixmap().isNull());
        const QPoint rest = firstOpaqueFromHotSpot(resting);

        f.DrawRecoil(first.x(), first.y());
        QCOMPARE(firstOpaqueFromHotSpot(f.cursor()), rest + first);
        QPoint last = first;
        if (!second.isNull()) {
            // Drawn from the resting pointer, not added to the kick still showing.
            f.DrawRecoil(second.x(), second.y());
            QCOMPARE(firstOpaqueFromHotSpot(f.cursor()), rest + second);
            last = second;
        }
        QTest::qWait(frmDesktop::RecoilMs / 3);
        QCOMPARE(firstOpaqueFromHotSpot(f.cursor()), rest + last);
        QTRY_COMPARE_WITH_TIMEOUT(f.cursor().pixmap().cacheKey(), resting.pixmap().cacheKey(), 2000);
        QCOMPARE(f.cursor().hotSpot(), resting.hotSpot());
    }
};

QTEST_MAIN(TestRecoil)
#include "test_recoil.moc"
