// The enemy sprite: how a sheet is cut into frames, what is transparent, the shadow, sheets
// that must be refused.
#include "core/modGremlok.h"
#include "fight/Enemy.h"
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

    QString saveSheet(const QImage& sheet)
    {
        sheet.save(m_dir.filePath(QStringLiteral("sheet.png")), "PNG");
        return m_dir.filePath(QStringLiteral("sheet.png"));
    }

private slots:
    void init() { setShadowConditions(false, true); }

    void frameSizeRoundsHalfToEven_data()
    {
        QTest::addColumn<QSize>("sheet");
        QTest::addColumn<QPoint>("attackDie");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("base layout") << QSize(700, 200) << QPoint(7, 6) << QSize(100, 100);
        QTest::newRow("62.5 x 50.5 go down to even") << QSize(250, 101) << QPoint(4, 4) << QSize(62, 50);
        QTest::newRow("67.5 x 51.5 go up to even") << QSize(270, 103) << QPoint(4, 4) << QSize(68, 52);
        QTest::newRow("zero frames count as one") << QSize(300, 100) << QPoint(0, 0) << QSize(300, 50);
    }
    void frameSizeRoundsHalfToEven()
    {
        QFETCH(QSize, sheet);
        QFETCH(QPoint, attackDie);
        QFETCH(QSize, frame);
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(surface(sheet.width(), sheet.height(), White)),
                                  uint8_t(attackDie.x()), uint8_t(attackDie.y()), 0xFF00FF));
        QCOMPARE(QSize(enemy.SpriteWidth, enemy.SpriteHeight), frame);
        QVERIFY(enemy.NumAttackSprites >= 1 && enemy.NumDieSprites >= 1);
    }

    void framesAreCutFromTheirPlaceOverTheCurrentPatch()
    {
        // 4 attack frames over 3 death frames, 10 x 10, each its own colour in a square that
        // shrinks frame by frame, so a trace of the last frame drawn would show.
        QImage sheet = surface(40, 20, qRgb(255, 0, 255));
        auto colour = [](int row, int k) { return qRgb(20 + 50 * k, row ? 200 : 40, 90); };
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < 4 - row; ++k)
                QPainter(&sheet).fillRect(k * 11 + 1, row * 10 + k + 1, 8 - 2 * k, 8 - 2 * k, QColor(colour(row, k)));
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 4, 3, 0xFF00FF));
        QImage dest = surface(30, 30, White);
        for (int row = 0; row < 2; ++row) {
            for (int k = 0; k < 4 - row; ++k) {
                const QImage patch = surface(10, 10, qRgb(k, row, 3));   // a new bullet hole each time
                (enemy.*(row ? &Enemy::DrawLostSprite : &Enemy::DrawAttackSprite))(dest, patch, 7, 9, uint8_t(k + 1));
                QCOMPARE(dest.pixel(7 + 5, 9 + 5), colour(row, k));
                QCOMPARE(dest.pixel(7 + k, 9 + k), qRgb(k, row, 3));   // where the last frame was
                QCOMPARE(dest.pixel(6, 9), White);                     // nothing outside the frame
                QCOMPARE(dest.pixel(17, 19), White);
            }
        }
        const QImage before = dest;   // frames that do not exist draw nothing
        enemy.DrawAttackSprite(dest, sheet, 0, 0, 0);
        enemy.DrawAttackSprite(dest, sheet, 0, 0, 5);
        enemy.DrawLostSprite(dest, sheet, 0, 0, 4);
        QCOMPARE(dest, before);
    }

    void onlyTheExactMaskColourIsTransparent()
    {
        // Windows colour 0x0000FF is pure red: the digits read blue, green, red.
        const QRgb row[] = {qRgb(255, 0, 0), qRgb(254, 0, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)};
        QImage sheet = surface(4, 2, row[0]);
        for (int x = 1; x < 4; ++x)
            sheet.setPixel(x, 0, row[x]);
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 1, 1, 0x0000FF));
        QImage dest = surface(4, 1, White);
        enemy.DrawAttackSprite(dest, surface(4, 1, qRgb(10, 200, 30)), 0, 0, 1);
        QCOMPARE(dest.pixel(0, 0), qRgb(10, 200, 30));   // the mask colour lets the desktop show
        for (int x = 1; x < 4; ++x)
            QCOMPARE(dest.pixel(x, 0), row[x]);          // one step off, blue and black are drawn
    }

    void shadowDarkensAndStaysInTheFrame()
    {
        // Frame 1 (20 x 20): a block in the middle, one in the bottom-right corner; frame 2 a
        // block at its left edge that frame 1's shadow must never pick up.
        QImage sheet = surface(40, 40, qRgb(255, 0, 255));
        for (const QRect& r : {QRect(5, 5, 5, 5), QRect(15, 15, 5, 5), QRect(20, 0, 4, 20)})
            QPainter(&sheet).fillRect(r, QColor(0, 150, 0));
        Enemy enemy;
        QVERIFY(enemy.LoadSprites(saveSheet(sheet), 2, 1, 0xFF00FF));
        auto draw = [&] {
            QImage dest = surface(60, 60, White);
            enemy.DrawAttackSprite(dest, surface(20, 20, White), 20, 20, 1);
            return dest;
        };
        setShadowConditions(true, true);
        const QImage shaded = draw();
        // Offset 3 right, 2 down; alpha 64 of 255 takes white to three quarters.
        QCOMPARE(shaded.pixel(20 + 11, 20 + 10), qRgb(191, 191, 191));
        QCOMPARE(shaded.pixel(20 + 7, 20 + 7), qRgb(0, 150, 0));    // sprite over its shadow
        QCOMPARE(shaded.pixel(20 + 4, 20 + 4), White);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x)   // nothing outside the frame, nothing from frame 2
                if (!QRect(23, 20, 17, 20).contains(x, y))
                    QCOMPARE(shaded.pixel(x, y), White);

        for (bool highColor : {false, true}) {   // no shadow on 256 colours or when turned off
            setShadowConditions(!highColor, highColor);
            QCOMPARE(draw().pixel(20 + 11, 20 + 10), White);
        }
    }

    void unusableSheetsAreRefused()
    {
        // Missing, not a picture, wider than 8192, too small for 7 frames (3 / 7 rounds to 0).
        for (int kind = 0; kind < 4; ++kind) {
            Enemy enemy;
            QVERIFY(enemy.LoadSprites(saveSheet(surface(20, 20, White)), 1, 1, 0));
            const QString path = m_dir.filePath(QStringLiteral("bad%1.gif").arg(kind));
            if (kind == 1)
                skinkit::writeFile(path, QByteArray("GIF89a") + QByteArray(100, '\x7f'));
            if (kind > 1)
                surface(kind == 2 ? 8193 : 3, 2, White).save(path, "PNG");
            QVERIFY2(!enemy.LoadSprites(path, 7, 6, 0), qPrintable(path));
            // The old sheet is gone: drawing does nothing.
            QVERIFY(!enemy.Loaded());
            QImage dest = surface(5, 5, White);
            enemy.DrawAttackSprite(dest, surface(5, 5, 0), 0, 0, 1);
            QCOMPARE(dest, surface(5, 5, White));
        }
    }
};

QTEST_MAIN(TestEnemy)
#include "test_enemy.moc"
