// Figures of the fight on a Wayland desktop (run it on the Wayland rig: bench/bench_wayland.sh):
//  - the desktop portal's own screenshot round trip (request to a loaded image);
//  - "&Fight Now!" to the first frame painted, and the capture inside it, in the same run.
// Prints medians of 20 runs after one that warms up.
// Usage: bench_wayland [path of "Base Skin.ssz"]
#include "bench/bench_support.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/frmDesktop.h"
#include "platform/PortalCapture.h"
#include "platform/WaylandSession.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace modGremlok;

namespace {

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void pause(int ms)
{
    QElapsedTimer t;
    t.start();
    spin([&t, ms] { return t.elapsed() >= ms; }, ms + 100);
}

} // namespace

int main(int argc, char** argv)
{
    platform::ChooseWindowSystem();
    QApplication app(argc, argv);
    if (!platform::IsWaylandSession()) {
        std::fprintf(stderr, "bench_wayland: not a Wayland session\n");
        return 1;
    }
    QTemporaryDir dir;
    if (!SetUpBaseSkin(dir, argc, argv))
        return 1;
    frmMain& m = frmMain::instance();
    ReadScreenMetrics();
    LoadSkin();
    Difficulty = 1;
    AttackInterval = 20000;
    AnimationSpeed = 20000;
    CenterPointer = true;
    Pointer = 1;
    Scramble = false;
    FirstRun = false;
    AutoUnload = false;
    SlowestBestTime = -1;
    std::printf("window system %s, screen %dx%d\n", qPrintable(QGuiApplication::platformName()), ScreenWidth,
                ScreenHeight);

    // 1. The portal alone.
    std::vector<double> portal;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        QString why;
        const QImage shot = platform::PortalCapture(15000, &why);
        if (shot.isNull()) {
            std::fprintf(stderr, "bench_wayland: the portal gave no screenshot: %s\n", qPrintable(why));
            return 2;
        }
        if (i > 0)
            portal.push_back(t.nsecsElapsed() / 1e6);
        pause(50);
    }

    // 2. "&Fight Now!" to the first frame, the capture inside it.
    std::vector<double> total, capture;
    for (int i = 0; i < 21; ++i) {
        m.mnuFightNow_Click();
        frmDesktop* f = frmDesktop::existing();
        if (!f || !spin([f] { return f->FirstPaintNs >= 0; }, 20000))
            return 3;
        if (i > 0) {
            capture.push_back(f->CaptureDoneNs / 1e6);
            total.push_back(f->FirstPaintNs / 1e6);
        }
        pause(50);
        m.tmrAnimDie->setEnabled(false);
        gEnemy->Alive = true;
        f->EndFight();
        if (!spin([] { return !frmDesktop::isLoaded(); }, 20000))
            return 4;
        pause(100);
    }
    std::printf("portal screenshot round trip: median %.1f ms (min %.1f, max %.1f)\n", median(portal),
                *std::min_element(portal.begin(), portal.end()), *std::max_element(portal.begin(), portal.end()));
    std::printf("\"&Fight Now!\" to first frame: median %.1f ms, of which capture %.1f ms\n", median(total),
                median(capture));
    return 0;
}
