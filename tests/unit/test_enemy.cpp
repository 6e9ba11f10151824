// The enemy sprite: how a sheet is cut into frames, what is transparent, the shadow, sheets
// that must be refused, and the base skin's frames as a picture anyone can look at.
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "skins/modSkinZip.h"
#include "test_skin_kit.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr QRgb White = 0xFFFFFFFFu;

QImage surface(int w, int h, QRgb fill)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void setShadowConditions(bool shadow, bool highColor)
{
    modGremlok::Shadow = shadow;
    modGremlok::IsWin98OrLater = true;
    modGremlok::HighColorDisplay = highColor;
}
} // namespace

class TestEnemy : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir{skinkit::testRoot() + QStringLiteral("/enemy-XXXXXX")};

    QString saveSheet(const QImage& sheet, const QString& name = QStringLiteral("sheet.png"))
    {
        const QString path = m_dir.filePath(name);
        sheet.save(path, "PNG");
        return path;
    }

private slots:
    void init() { setShadowConditions(false, true); }

    void frameSizeRoundsHalfToEven_data()
    {
        QTest::addColumn<QSize>("sheet");
        QTest::addColumn<int>("attack");
        QTest::addColumn<int>("die");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("base layout") << QSize(700, 200) << 7 << 6 << QSize(100, 100);
        QTest::newRow("62.5 goes down to even") << QSize(250, 100) << 4 << 4 << QSize(62, 50);
        QTest::newRow("67.5 goes up to even") << QSize(270, 100) << 4 << 4 << QSize(68, 50);
        QTest::newRow("longer row decides") << QSize(640, 200) << 8 << 4 << QSize(80, 100);
        QTest::newRow("height 50.5") << QSize(100, 101) << 1 << 1 << QSize(100, 50);
        QTest::newRow("height 51.5") << QSize(100, 103) << 1 << 1 << QSize(100, 52);
        QTest::newRow("zero frames count as one") << QSize(300, 100) << 0 << 0 << QSize(300, 50);
    }
    void frameSizeRoundsHalfToEven()
    {
        QFETCH(QSize, sheet);
        QFETCH(int, attack);
        QFETCH(int, die);
        QFETCH(QSize, frame);
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(surface(sheet.width(), sheet.height(), White)),
                                  uint8_t(attack), uint8_t(die), 0xFF00FF));
        QCOMPARE(QSize(enemy.SpriteWidth, enemy.SpriteHeight), frame);
        QVERIFY(enemy.NumAttackSprites >= 1 && enemy.NumDieSprites >= 1);
    }

    void framesAreCutFromTheirPlace()
    {
        // Four attack frames over three death frames, 10 x 10 each, every one its own colour.
        QImage sheet = surface(40, 20, qRgb(255, 0, 255));
        auto colour = [](int row, int k) { return qRgb(20 + 50 * k, row ? 200 : 40, 90); };
        QPainter p(&sheet);
        for (int k = 0; k < 4; ++k)
            p.fillRect(k * 10 + 1, 1, 8, 8, QColor(colour(0, k)));
        for (int k = 0; k < 3; ++k)
            p.fillRect(k * 10 + 1, 11, 8, 8, QColor(colour(1, k)));
        p.end();
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 4, 3, 0xFF00FF));

        const QImage background = surface(10, 10, qRgb(1, 2, 3));
        for (int k = 1; k <= 4; ++k) {
            QImage dest = surface(30, 30, White);
            enemy.DrawAttackSprite(dest, background, 7, 9, uint8_t(k));
            QCOMPARE(dest.pixel(7 + 5, 9 + 5), colour(0, k - 1));
            QCOMPARE(dest.pixel(7, 9), qRgb(1, 2, 3));          // the frame's transparent rim
            QCOMPARE(dest.pixel(6, 9), White);                  // nothing outside the frame
            QCOMPARE(dest.pixel(17, 19), White);
        }
        for (int k = 1; k <= 3; ++k) {
            QImage dest = surface(10, 10, White);
            enemy.DrawLostSprite(dest, background, 0, 0, uint8_t(k));
            QCOMPARE(dest.pixel(5, 5), colour(1, k - 1));
        }
        // Frames that do not exist draw nothing at all.
        QImage dest = surface(10, 10, White);
        enemy.DrawAttackSprite(dest, background, 0, 0, 0);
        enemy.DrawAttackSprite(dest, background, 0, 0, 5);
        enemy.DrawLostSprite(dest, background, 0, 0, 4);
        QCOMPARE(dest, surface(10, 10, White));
    }

    void onlyTheExactMaskColourIsTransparent()
    {
        // Windows colour 0x0000FF is pure red: the digits read blue, green, red.
        QImage sheet = surface(4, 2, qRgb(255, 0, 0));
        sheet.setPixel(1, 0, qRgb(254, 0, 0));
        sheet.setPixel(2, 0, qRgb(0, 0, 255));
        sheet.setPixel(3, 0, qRgb(0, 0, 0));
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 1, 1, 0x0000FF));
        const QImage background = surface(4, 1, qRgb(10, 200, 30));
        QImage dest = surface(4, 1, White);
        enemy.DrawAttackSprite(dest, background, 0, 0, 1);
        QCOMPARE(dest.pixel(0, 0), qRgb(10, 200, 30));   // mask colour: the desktop shows
        QCOMPARE(dest.pixel(1, 0), qRgb(254, 0, 0));     // one step off: drawn
        QCOMPARE(dest.pixel(2, 0), qRgb(0, 0, 255));
        QCOMPARE(dest.pixel(3, 0), qRgb(0, 0, 0));       // black in the sprite stays black
    }

    void eachFrameIsDrawnOverTheUntouchedBackground()
    {
        QImage sheet = surface(20, 20, qRgb(255, 0, 255));
        QPainter p(&sheet);
        p.fillRect(0, 0, 10, 10, QColor(200, 0, 0));    // frame 1: solid
        p.fillRect(12, 2, 6, 6, QColor(0, 0, 200));     // frame 2: a small square
        p.end();
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 2, 1, 0xFF00FF));
        QImage background = surface(10, 10, qRgb(9, 9, 9));
        QImage dest = surface(10, 10, White);
        enemy.DrawAttackSprite(dest, background, 0, 0, 1);
        // A bullet hole added to the patch shows through the next frame's transparent part.
        background.setPixel(0, 0, qRgb(60, 60, 60));
        enemy.DrawAttackSprite(dest, background, 0, 0, 2);
        QCOMPARE(dest.pixel(0, 0), qRgb(60, 60, 60));
        QCOMPARE(dest.pixel(1, 1), qRgb(9, 9, 9));      // no trace of frame 1
        QCOMPARE(dest.pixel(5, 5), qRgb(0, 0, 200));
    }

    void shadowDarkensAndStaysInTheFrame()
    {
        // Frame 1 (20 x 20) holds a block in its middle and one in its bottom-right corner;
        // frame 2 holds a block at its left edge that frame 1's shadow must never pick up.
        QImage sheet = surface(40, 40, qRgb(255, 0, 255));
        QPainter p(&sheet);
        p.fillRect(5, 5, 5, 5, QColor(0, 150, 0));
        p.fillRect(15, 15, 5, 5, QColor(0, 150, 0));
        p.fillRect(20, 0, 4, 20, QColor(0, 150, 0));
        p.end();
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 2, 1, 0xFF00FF));
        const QImage background = surface(20, 20, White);

        auto draw = [&] {
            QImage dest = surface(60, 60, White);
            enemy.DrawAttackSprite(dest, background, 20, 20, 1);
            return dest;
        };
        setShadowConditions(true, true);
        const QImage shaded = draw();
        // Offset 3 right, 2 down; alpha 64 of 255 takes white to three quarters.
        QCOMPARE(shaded.pixel(20 + 11, 20 + 10), qRgb(191, 191, 191));
        QCOMPARE(shaded.pixel(20 + 7, 20 + 7), qRgb(0, 150, 0));    // sprite over its shadow
        QCOMPARE(shaded.pixel(20 + 4, 20 + 4), White);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x)
                if (!QRect(20, 20, 20, 20).contains(x, y))
                    QCOMPARE(shaded.pixel(x, y), White);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(shaded.pixel(20 + x, 20 + y), White);     // nothing from frame 2

        setShadowConditions(true, false);   // 256 colours: no shadow
        QCOMPARE(draw().pixel(20 + 11, 20 + 10), White);
        setShadowConditions(false, true);
        QCOMPARE(draw().pixel(20 + 11, 20 + 10), White);
    }

    void unusableSheetsAreRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("missing file") << 0;
        QTest::newRow("not a picture") << 1;
        QTest::newRow("wider than 8192") << 2;
        QTest::newRow("too small for its frames") << 3;
    }
    void unusableSheetsAreRefused()
    {
        QFETCH(int, kind);
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(surface(20, 20, White), QStringLiteral("good.png")), 1, 1, 0));
        QString path = m_dir.filePath(QStringLiteral("bad.gif"));
        QFile::remove(path);
        if (kind == 1)
            skinkit::writeFile(path, QByteArray("GIF89a") + QByteArray(100, '\x7f'));
        if (kind == 2)
            path = saveSheet(surface(8193, 2, White), QStringLiteral("wide.png"));
        if (kind == 3)
            path = saveSheet(surface(3, 2, White), QStringLiteral("tiny.png"));   // 3 / 7 rounds to 0
        QVERIFY(!enemy.LoadSprites(path, 7, 6, 0));
        // The old sheet is gone: the enemy has none and drawing does nothing.
        QVERIFY(!enemy.Loaded());
        QCOMPARE(int(enemy.SpriteWidth), 0);
        QImage dest = surface(5, 5, White);
        enemy.DrawAttackSprite(dest, surface(5, 5, 0), 0, 0, 1);
        QCOMPARE(dest, surface(5, 5, White));
    }

    void baseSkinFramesMakeAContactSheet()
    {
        const QString folder = m_dir.filePath(QStringLiteral("base"));
        QVERIFY(modSkinZip::UnzipSkin(skinkit::baseSkinPackage(), folder));
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(folder + QStringLiteral("/enemy.gif"), 7, 6, 0xFF00FF));
        QCOMPARE(QSize(enemy.SpriteWidth, enemy.SpriteHeight), QSize(100, 100));

        // The crosshair pointer: a 32 x 32 cursor, see-through at its corner, solid at its centre.
        const QImage pointer(folder + QStringLiteral("/pointer.cur"));
        QCOMPARE(pointer.size(), QSize(32, 32));
        QCOMPARE(qAlpha(pointer.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(pointer.pixel(15, 15)), 255);

        // Every frame drawn as in a fight, with the shadow, over a busy desktop-like patch.
        setShadowConditions(true, true);
        QImage patch(100, 100, QImage::Format_RGB32);
        QPainter pp(&patch);
        QLinearGradient g(0, 0, 100, 100);
        g.setColorAt(0, QColor(90, 140, 200));
        g.setColorAt(1, QColor(230, 230, 240));
        pp.fillRect(patch.rect(), g);
        pp.setPen(QColor(255, 255, 255, 120));
        for (int i = 0; i < 100; i += 20) {
            pp.drawLine(i, 0, i, 99);
            pp.drawLine(0, i, 99, i);
        }
        pp.end();
        QImage contact = surface(7 * 104 + 4, 2 * 104 + 4, qRgb(40, 40, 40));
        QList<QImage> frames;
        for (int row = 0; row < 2; ++row) {
            for (int k = 1; k <= (row ? 6 : 7); ++k) {
                QImage frame = surface(100, 100, 0);
                if (row)
                    enemy.DrawLostSprite(frame, patch, 0, 0, uint8_t(k));
                else
                    enemy.DrawAttackSprite(frame, patch, 0, 0, uint8_t(k));
                QPainter(&contact).drawImage(4 + (k - 1) * 104, 4 + row * 104, frame);
                frames << frame;
            }
        }
        const QString out = qEnvironmentVariable("GREMLOK_BUILD_DIR", m_dir.path())
            + QStringLiteral("/base-skin-contact.png");
        QVERIFY(contact.save(out));
        qInfo("contact sheet of the base skin: %s", qPrintable(out));

        // Each frame shows the creature and lets the desktop through around it.
        for (int i = 0; i < frames.size(); ++i) {
            int shown = 0;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x)
                    shown += frames[i].pixel(x, y) == patch.pixel(x, y);
            QVERIFY2(shown > 2000 && shown < 9000, qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(shown)));
            QCOMPARE(frames[i].pixel(0, 0), patch.pixel(0, 0));
            for (int j = 0; j < i; ++j)
                QVERIFY2(frames[i] != frames[j], "two frames are the same picture");
        }
    }
};

QTEST_MAIN(TestEnemy)
#include "test_enemy.moc"
