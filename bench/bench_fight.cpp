// Figures of the fight on a real screen (run it on the rig's 1920x1080 X server):
//  - "&Fight Now!" to the first frame painted, and the screen capture inside it;
//  - a click to its mark on screen (miss and hit, the whole handler with the repaint);
//  - one animation tick (frame drawn and pushed);
//  - the spread of the attack timer's intervals against AnimationSpeed over whole attacks.
// Prints medians (and the 95th percentile of the interval error).
// Usage: bench_fight [path of "Base Skin.ssz"]
#include "bench/bench_support.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/ScreenPointer.h"
#include "fight/Weapon.h"
#include "fight/frmDesktop.h"
#include "platform/Raster.h"
#include "platform/ScreenCapture.h"
#include "shell/frmMain.h"
#include "skins/SkinPaths.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QEventLoop>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace modGremlok;

namespace {

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(std::ceil(p * double(v.size())) - 1));
    return v[i];
}
double median(const std::vector<double>& v) { return percentile(v, 0.5); }

// Runs the event loop (sleeping between events, as the program does) until `done` holds.
void pause(int ms)
{
    QElapsedTimer t;
    t.start();
    spin([&t, ms] { return t.elapsed() >= ms; }, ms + 100);
}

// Ends the open fight without a best time and waits until the window is gone.
bool endFight()
{
    frmDesktop* f = frmDesktop::existing();
    if (!f)
        return true;
    frmMain::instance().tmrAnimDie->setEnabled(false);
    gEnemy->Alive = true;
    f->EndFight();
    return spin([] { return !frmDesktop::isLoaded(); });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!SetUpGame(dir, argc, argv))
        return 1;
    frmMain& m = frmMain::instance();
    Difficulty = 1;
    AttackInterval = 200;
    AnimationSpeed = 45;
    CenterPointer = true;
    Pointer = 1;
    Blood = true;
    SlowestBestTime = -1;   // no name prompts in between
    std::printf("screen %dx%d, sprite %dx%d, %d attack frames\n", ScreenWidth, ScreenHeight,
                gEnemy->SpriteWidth, gEnemy->SpriteHeight, gEnemy->NumAttackSprites);

    // 1. "&Fight Now!" to the first frame on screen.
    std::vector<double> total, capture, setup;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        m.mnuFightNow_Click();
        const double setupMs = t.nsecsElapsed() / 1e6;
        frmDesktop* f = frmDesktop::existing();
        if (!f || !spin([f] { return f->FirstPaintNs >= 0; }))
            return 2;
        if (i > 0) {   // the first one warms caches and plugins up
            setup.push_back(setupMs);
            capture.push_back(f->CaptureDoneNs / 1e6);
            total.push_back(f->FirstPaintNs / 1e6);
        }
        pause(30);
        if (!endFight())
            return 3;
        pause(60);
    }

    // 1b. The same after the idle program gave the capture buffer back: a fight with warning
    // (the buffer made ready while the menu opens) and one without (a peer's fight request).
    std::vector<double> cold, coldCapture, warned, warnedCapture;
    const auto fightAfterRelease = [&](bool warn, std::vector<double>& first, std::vector<double>& grab) {
        platform::ScreenCapture::Release();
        pause(50);
        if (warn) {
            platform::ScreenCapture::Prepare(ScreenWidth, ScreenHeight);
            pause(150);
        }
        m.mnuFightNow_Click();
        frmDesktop* f = frmDesktop::existing();
        if (!f || !spin([f] { return f->FirstPaintNs >= 0; }))
            return false;
        first.push_back(f->FirstPaintNs / 1e6);
        grab.push_back(f->CaptureDoneNs / 1e6);
        pause(30);
        return endFight();
    };
    for (int i = 0; i < 9; ++i)
        if (!fightAfterRelease(false, cold, coldCapture) || !fightAfterRelease(true, warned, warnedCapture))
            return 8;

    // 2. A click to its mark on screen; 3. one animation tick.
    std::vector<double> miss, hit, tick;
    for (int round = 0; round < 8; ++round) {
        m.mnuFightNow_Click();
        frmDesktop* f = frmDesktop::existing();
        if (!f || !spin([f] { return f->FirstPaintNs >= 0; }))
            return 4;
        pause(30);
        f->WaitingForFirstMove = false;   // keep the attack from starting by itself
        for (int s = 0; s < 5; ++s) {
            const int x = 100 + 150 * s, y = EnemyY > 300 ? 150 : 800;
            ScreenPointer::SetPos(x, y);
            QElapsedTimer t;
            t.start();
            f->Form_MouseDown(1, 0, x, y);
            miss.push_back(t.nsecsElapsed() / 1e6);
            m.tmrAnimAttack->setEnabled(false);
            pause(40);
        }
        for (int k = 0; k < 5; ++k) {
            m.tmrAnimAttack->Tag = QStringLiteral("1");
            QElapsedTimer t;
            t.start();
            m.tmrAnimAttack_Timer();
            tick.push_back(t.nsecsElapsed() / 1e6);
        }
        // The last round hits: a visible pixel of frame 2, found in the on-screen image.
        const QImage& shown = f->ScreenImage();
        QPoint aim(-1, -1);
        for (int y = 0; y < gEnemy->SpriteHeight && aim.x() < 0; ++y)
            for (int x = gEnemy->SpriteWidth / 3; x < gEnemy->SpriteWidth && aim.x() < 0; ++x)
                if (f->IsEnemyPixel(QPoint(EnemyX + x, EnemyY + y)))
                    aim = QPoint(EnemyX + x, EnemyY + y);
        if (aim.x() >= 0 && !shown.isNull()) {
            ScreenPointer::SetPos(aim.x(), aim.y());
            QElapsedTimer t;
            t.start();
            f->Form_MouseDown(1, 0, aim.x(), aim.y());
            hit.push_back(t.nsecsElapsed() / 1e6);
        }
        pause(30);
        if (!endFight())
            return 5;
        pause(60);
    }

    // 4. The attack timer's intervals over whole attacks, at three speeds.
    std::printf("fight on screen: median %.2f ms (capture %.2f ms, set-up before showing %.2f ms); goal <= 16.7 ms\n",
                median(total), median(capture), median(setup));
    std::printf("after the capture buffer was given back: fight on screen with warning (buffer made ready ahead) median %.2f ms "
                "(capture %.2f ms), without warning %.2f ms (capture %.2f ms)\n",
                median(warned), median(warnedCapture), median(cold), median(coldCapture));
    std::printf("click to mark: miss median %.3f ms, p95 %.3f ms; hit median %.3f ms\n",
                median(miss), percentile(miss, 0.95), median(hit));
    std::printf("animation tick: median %.3f ms, p95 %.3f ms\n", median(tick), percentile(tick, 0.95));
    for (int speed : {20, 45, 100}) {
        AnimationSpeed = int16_t(speed);
        std::vector<double> errors, intervals, late;
        for (int attack = 0; attack < 12; ++attack) {
            m.mnuFightNow_Click();
            frmDesktop* f = frmDesktop::existing();
            if (!f || !spin([f] { return f->FirstPaintNs >= 0; }))
                return 6;
            pause(30);
            std::vector<qint64> ticks;
            QElapsedTimer clock;
            clock.start();
            // Note each tick when it fires, before the frame is drawn: the last tick's red flash
            // repaints the whole screen and would otherwise count as timer lateness.
            QObject::disconnect(m.tmrAnimAttack, &FormTimer::Timer, &m, &frmMain::tmrAnimAttack_Timer);
            const auto c = QObject::connect(m.tmrAnimAttack, &FormTimer::Timer, [&] { ticks.push_back(clock.nsecsElapsed()); });
            QObject::connect(m.tmrAnimAttack, &FormTimer::Timer, &m, &frmMain::tmrAnimAttack_Timer);
            ticks.push_back(clock.nsecsElapsed());
            f->Form_MouseMove(f->StartCursor.x() + 3, f->StartCursor.y() + 3);
            spin([&m] { return !m.tmrAnimAttack->Enabled(); });
            QObject::disconnect(c);
            if (qEnvironmentVariableIsSet("BENCH_VERBOSE")) {
                for (size_t i = 1; i < ticks.size(); ++i)
                    std::printf(" %.1f", (ticks[i] - ticks[i - 1]) / 1e6);
                std::printf("\n");
            }
            for (size_t i = 1; i < ticks.size(); ++i)
                late.push_back((ticks[i] - ticks[0]) / 1e6 - double(i) * speed);
            for (size_t i = 1; i < ticks.size(); ++i) {
                const double ms = (ticks[i] - ticks[i - 1]) / 1e6;
                intervals.push_back(ms);
                errors.push_back(std::fabs(ms - speed));
            }
            pause(20);
            if (!endFight())
                return 7;
            pause(40);
        }
        std::printf("attack interval at AnimationSpeed %d: median %.2f ms, |error| median %.2f ms, p95 %.2f ms (goal <= 0.25 ms), max %.2f ms; "
                    "tick lateness against the schedule p95 %.2f ms (%zu intervals)\n",
                    speed, median(intervals), median(errors), percentile(errors, 0.95),
                    percentile(errors, 1.0), percentile(late, 0.95), intervals.size());
    }
    return 0;
}
