// Figures of the fight on a Wayland desktop (run it on the Wayland rig: bench/bench_wayland.sh):
//  - the compositor's screencopy alone (connection, frame, copy into a picture);
//  - the desktop portal's own screenshot round trip (request to a loaded image), the reference;
//  - "&Fight Now!" to the first frame painted, and the capture inside it, through the screencopy
//    and through the portal (GREMLOK_CAPTURE=portal), in the same run.
// Prints medians of 20 runs after one that warms up.
// Usage: bench_wayland [path of "Base Skin.ssz"]
#include "bench/bench_support.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/frmDesktop.h"
#include "platform/PortalCapture.h"
#include "platform/WaylandSession.h"
#include "platform/WlrScreencopy.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
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
    QTemporaryDir traceDir;
    // The fights' trace says which capture each one went through.
    const QString trace = traceDir.filePath(QStringLiteral("trace"));
    qputenv("GREMLOK_TRACE", trace.toLocal8Bit());
    platform::ChooseWindowSystem();
    QApplication app(argc, argv);
    if (!platform::IsWaylandSession()) {
        std::fprintf(stderr, "bench_wayland: not a Wayland session\n");
        return 1;
    }
    QTemporaryDir dir;
    if (!SetUpGame(dir, argc, argv))
        return 1;
    frmMain& m = frmMain::instance();
    Difficulty = 1;
    AttackInterval = 20000;
    AnimationSpeed = 20000;
    CenterPointer = true;
    Pointer = 1;
    SlowestBestTime = -1;
    std::printf("window system %s, screen %dx%d\n", qPrintable(QGuiApplication::platformName()), ScreenWidth,
                ScreenHeight);

    const auto report = [](const char* what, const std::vector<double>& v) {
        std::printf("%s: median %.1f ms (min %.1f, max %.1f)\n", what, median(v), *std::min_element(v.begin(), v.end()),
                    *std::max_element(v.begin(), v.end()));
    };

    // 1. The screencopy alone.
    std::vector<double> screencopy;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        QString why;
        const QImage shot = platform::WlrScreencopy::Capture(QGuiApplication::primaryScreen(), 3000, &why);
        if (shot.isNull()) {
            std::printf("screencopy: none (%s)\n", qPrintable(why));
            break;
        }
        if (i > 0)
            screencopy.push_back(t.nsecsElapsed() / 1e6);
        pause(50);
    }

    // 2. The portal alone.
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

    // 3. "&Fight Now!" to the first frame, the capture inside it; the way the last fight took.
    const auto fights = [&m, &trace](std::vector<double>& total, std::vector<double>& capture, QString& method) {
        for (int i = 0; i < 21; ++i) {
            m.mnuFightNow_Click();
            frmDesktop* f = frmDesktop::existing();
            if (!f || !spin([f] { return f->FirstPaintNs >= 0; }, 20000))
                return false;
            if (i > 0) {
                capture.push_back(f->CaptureDoneNs / 1e6);
                total.push_back(f->FirstPaintNs / 1e6);
            }
            pause(50);
            m.tmrAnimDie->setEnabled(false);
            gEnemy->Alive = true;
            f->EndFight();
            if (!spin([] { return !frmDesktop::isLoaded(); }, 20000))
                return false;
            pause(100);
        }
        QFile file(trace);
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (line.startsWith("capture\t"))
                    method = QString::fromUtf8(line.mid(8));
        return true;
    };
    std::vector<double> total, capture, portalTotal, portalCapture;
    QString method, portalMethod;
    if (!fights(total, capture, method))
        return 3;
    qputenv("GREMLOK_CAPTURE", "portal");
    if (!fights(portalTotal, portalCapture, portalMethod))
        return 4;
    qunsetenv("GREMLOK_CAPTURE");

    if (!screencopy.empty())
        report("screencopy capture alone", screencopy);
    report("portal screenshot round trip", portal);
    std::printf("\"&Fight Now!\" to first frame through %s: median %.1f ms, of which capture %.1f ms\n",
                qPrintable(method), median(total), median(capture));
    std::printf("\"&Fight Now!\" to first frame through %s: median %.1f ms, of which capture %.1f ms\n",
                qPrintable(portalMethod), median(portalTotal), median(portalCapture));
    return 0;
}
