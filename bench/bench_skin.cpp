// Times loading the base skin and drawing one enemy frame with and without the shadow.
// Prints medians. Runs without a display (offscreen) when none is set.
// Usage: bench_skin [path of "Base Skin.ssz"]
#include "bench/bench_support.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "skins/SkinPaths.h"
#include "skins/modSkinZip.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace modGremlok;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <class F>
double medianMs(int runs, F&& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    if (!SetUpBaseSkin(dir, argc, argv))
        return 1;

    const int loads = 30;
    LoadSkin();   // warm-up: image plugins, the main window
    const double loadMs = medianMs(loads, [] { gEnemy.reset(); LoadSkin(); });
    const QString unzipTarget = dir.filePath(QStringLiteral("unzip/"));
    const double unzipMs = medianMs(loads, [&] { modSkinZip::UnzipSkin(
        dir.filePath(QStringLiteral("Skins/Base Skin.ssz")), unzipTarget); });
    Enemy probe;
    const double spritesMs = medianMs(loads, [&] {
        probe.LoadSprites(SkinFolder + QStringLiteral("enemy.gif"), 7, 6, 0xFF00FF); });

    // One frame onto a full-screen surface, as the fight draws it.
    QImage screen(1920, 1080, QImage::Format_RGB32);
    screen.fill(qRgb(80, 120, 160));
    const QImage patch = screen.copy(900, 500, gEnemy->SpriteWidth, gEnemy->SpriteHeight);
    IsWin98OrLater = true;
    HighColorDisplay = true;
    const int batch = 200, batches = 31;
    auto drawMicros = [&](bool shadow) {
        Shadow = shadow;
        uint8_t frame = 1;
        return 1000.0 * medianMs(batches, [&] {
            for (int i = 0; i < batch; ++i) {
                gEnemy->DrawAttackSprite(screen, patch, 900, 500, frame);
                frame = uint8_t(frame % 7 + 1);
            }
        }) / batch;
    };
    drawMicros(false);   // warm-up
    const double plain = drawMicros(false);
    const double shaded = drawMicros(true);

    // A contact sheet of every frame as a fight draws it (with the shadow, over a desktop-like
    // patch), to look at after changing the skin.
    {
        Shadow = true;
        const int w = gEnemy->SpriteWidth, h = gEnemy->SpriteHeight;
        QImage desk(w, h, QImage::Format_RGB32);
        QLinearGradient g(0, 0, w, h);
        g.setColorAt(0, QColor(90, 140, 200));
        g.setColorAt(1, QColor(230, 230, 240));
        QPainter(&desk).fillRect(desk.rect(), g);
        const int columns = std::max<int>(gEnemy->NumAttackSprites, gEnemy->NumDieSprites);
        QImage contact(columns * (w + 4) + 4, 2 * (h + 4) + 4, QImage::Format_RGB32);
        contact.fill(qRgb(40, 40, 40));
        for (int row = 0; row < 2; ++row) {
            for (int k = 1; k <= (row ? gEnemy->NumDieSprites : gEnemy->NumAttackSprites); ++k) {
                QImage frame = desk.copy();
                if (row)
                    gEnemy->DrawLostSprite(frame, desk, 0, 0, uint8_t(k));
                else
                    gEnemy->DrawAttackSprite(frame, desk, 0, 0, uint8_t(k));
                QPainter(&contact).drawImage(4 + (k - 1) * (w + 4), 4 + row * (h + 4), frame);
            }
        }
        const QString out = QDir::currentPath() + QStringLiteral("/base-skin-contact.png");
        if (contact.save(out))
            std::printf("contact sheet of the base skin: %s\n", qPrintable(out));
    }

    std::printf("LoadSkin (base skin, %d runs): median %.2f ms\n", loads, loadMs);
    std::printf("  of which UnzipSkin: median %.2f ms, LoadSprites: median %.2f ms\n", unzipMs, spritesMs);
    std::printf("one %dx%d frame draw (%d batches of %d): median %.1f us without shadow, %.1f us with shadow (x%.2f)\n",
                int(gEnemy->SpriteWidth), int(gEnemy->SpriteHeight), batches, batch, plain, shaded, shaded / plain);
    return 0;
}
