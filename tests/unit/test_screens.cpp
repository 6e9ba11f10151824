// Fights on a desktop of two screens, the second scaled by 2 (offscreen screens from a
// configuration file): the fight covers the screen under the pointer, at its device pixels,
// with the enemy, its hit tests, the marks and the pointer at that screen's scale.
#include "core/modGremlok.h"
#include "fight/DrawTarget.h"
#include "fight/Enemy.h"
#include "fight/ScreenPointer.h"
#include "fight/Weapon.h"
#include "fight/frmDesktop.h"
#include "platform/Raster.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTest>

using namespace modGremlok;
namespace R = platform::Raster;

namespace {
const QRect kLeft(0, 0, 800, 600);
const QRect kRight(800, 0, 600, 400);   // logical; 1200 x 800 device pixels

// Two frames of 20 x 15 on a magenta ground: frame k has a 10 x 5 block of its own colour at
// (5, 5), so which frame is drawn and where its edge falls both show.
QString writeSheet()
{
    QImage sheet(40, 30, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 255));
    R::Fill(sheet, QRect(5, 5, 10, 5), qRgb(20, 160, 60));
    R::Fill(sheet, QRect(25, 5, 10, 5), qRgb(30, 60, 200));
    R::Fill(sheet, QRect(5, 20, 10, 5), qRgb(200, 200, 0));
    const QString path = qEnvironmentVariable("GREMLOK_TEST_DIR", "/tmp") + "/screens_sheet.png";
    sheet.save(path);
    return path;
}

// The bounding box of the pixels that differ between two images.
QRect changed(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

struct ImageTarget : DrawTarget {
    QImage img = R::NewSurface(120, 120, qRgb(40, 90, 160));
    QImage& Surface() override { return img; }
    void Flush(const QRect&) override {}
};
} // namespace

class TestScreens : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        frmMain::instance();
        InitBestTimes();
        QVERIFY(gEnemy->LoadSprites(writeSheet(), 2, 1, 0xFF00FF));
        AnimationSpeed = 30000;
        AttackInterval = 25000;
        Difficulty = 1;
        CenterPointer = true;
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

    void theFightCoversTheScreenUnderThePointer_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<int>("scale");
        QTest::newRow("first screen") << QPoint(100, 100) << kLeft << 1;
        QTest::newRow("second screen, scaled by 2") << QPoint(1000, 300) << kRight << 2;
    }
    void theFightCoversTheScreenUnderThePointer()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QRect, screen);
        QFETCH(int, scale);
        QCursor::setPos(pointer);
        const QPixmap plainPointer = frmMain::instance().CursorList.ListImage(1).Picture;
        frmDesktop& f = frmDesktop::instance();
        f.Show();
        QCOMPARE(f.geometry(), screen);
        QCOMPARE(QSize(ScreenWidth, ScreenHeight), screen.size() * scale);
        QCOMPARE(f.BackingImage().size(), screen.size() * scale);
        // Centred on that screen, in its own coordinates.
        QScreen* on = f.screen();
        QCOMPARE(QCursor::pos(on), screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2));
        QCOMPARE(f.StartCursor, QPoint(ScreenWidth / 2, ScreenHeight / 2));
        // The enemy, its marks and the pointer at the screen's scale, the enemy on the screen.
        QCOMPARE(QSize(gEnemy->SpriteWidth, gEnemy->SpriteHeight), QSize(20, 15) * scale);
        QVERIFY(EnemyX >= 0 && EnemyX + gEnemy->SpriteWidth <= ScreenWidth);
        QVERIFY(EnemyY >= 0 && EnemyY + gEnemy->SpriteHeight <= ScreenHeight);
        QCOMPARE(int(gWeapon->HoleWidth()), 12 * scale);
        const QPixmap shown = f.cursor().pixmap();
        QCOMPARE(shown.size(), plainPointer.size() * scale);
        QCOMPARE(shown.deviceIndependentSize(), QSizeF(plainPointer.size()));
        // Hit tests on the device pixels of the frame as drawn: the block covers 5..14 at
        // scale 1 and 10..29 at scale 2.
        const int y = EnemyY + 7 * scale;
        QVERIFY(f.IsEnemyPixel(QPoint(EnemyX + 14 * scale + scale - 1, y)));
        QVERIFY(!f.IsEnemyPixel(QPoint(EnemyX + 15 * scale, y)));
        QVERIFY(!f.IsEnemyPixel(QPoint(EnemyX + 5 * scale - 1, y)));
        // A kick past the screen's edge leaves the pointer on this screen.
        ScreenPointer::SetPos(-15, 5);
        QCOMPARE(QCursor::pos(on).x(), screen.left());
        ScreenPointer::SetPos(ScreenWidth + 30, 5);
        QCOMPARE(QCursor::pos(on).x(), screen.right());
    }

    // Scaling the sheet: whole factors repeat pixels exactly, each frame from its own cell;
    // others filter without bleeding the mask colour into the sprite; 1 gives the sheet back.
    void theSheetAtAScale_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("2") << 2.0 << QSize(40, 30);
        QTest::newRow("1.5") << 1.5 << QSize(30, 23);
        QTest::newRow("back to 1") << 1.0 << QSize(20, 15);
    }
    void theSheetAtAScale()
    {
        QFETCH(double, factor);
        QFETCH(QSize, frame);
        Enemy& e = *gEnemy;
        e.SetScale(3.0);
        e.SetScale(factor);
        QCOMPARE(QSize(e.SpriteWidth, e.SpriteHeight), frame);
        const QImage ground = R::NewSurface(frame.width(), frame.height(), qRgb(128, 128, 128));
        QImage drawn = ground.copy();
        e.DrawAttackSprite(drawn, ground, 0, 0, 2);
        // Every pixel is the desktop or the block's blue (give or take the filter's rounding).
        const auto nearBlue = [](QRgb c) {
            return qAbs(qRed(c) - 30) <= 2 && qAbs(qGreen(c) - 60) <= 2 && qAbs(qBlue(c) - 200) <= 2;
        };
        int blue = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const QRgb c = drawn.pixel(x, y) & 0xFFFFFF;
                QVERIFY2(nearBlue(c) || c == 0x808080u,
                         qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(c, 6, 16)));
                const bool sprite = c != 0x808080u;
                QCOMPARE(e.IsSpritePixel(false, 2, x, y), sprite);
                blue += sprite;
                if (factor == 2.0)   // exactly the scale-1 pixel it repeats
                    QCOMPARE(sprite, x / 2 >= 5 && x / 2 < 15 && y / 2 >= 5 && y / 2 < 10);
            }
        // About the block's area at that scale.
        QVERIFY(qAbs(blue - 50 * factor * factor) <= 10 * factor * factor / 2);
    }

    void marksAtAScale_data()
    {
        QTest::addColumn<double>("factor");
        QTest::newRow("1") << 1.0;
        QTest::newRow("2") << 2.0;
    }
    void marksAtAScale()
    {
        QFETCH(double, factor);
        Weapon w;
        w.SetScale(factor);
        ImageTarget t;
        const QImage before = t.img.copy();
        w.FireMiss(t, 30, 30);
        w.DrawHole(t);
        // The hole's black pixels span 5 x 5 at scale 1; the blood splash 8 x 9.
        QCOMPARE(changed(before, t.img).size(), QSize(5, 5) * factor);
        const QImage holed = t.img.copy();
        w.FireHit(t, 80, 80);
        QCOMPARE(changed(holed, t.img).size(), QSize(8, 9) * factor);
        // Not while a splat of the old size waits to settle.
        w.SetScale(3.0);
        QCOMPARE(w.Scale(), factor);
    }
};

int main(int argc, char** argv)
{
    const QString config = qEnvironmentVariable("GREMLOK_TEST_DIR", "/tmp") + "/screens.json";
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(R"({ "screens": [
        { "name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 },
        { "name": "right", "x": 800, "y": 0, "width": 600, "height": 400, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2 } ] })");
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    TestScreens t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_screens.moc"
