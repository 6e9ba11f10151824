#include "fight/FightMemory.h"

#include "core/modGremlok.h"
#include "platform/Memory.h"
#include "platform/ScreenCapture.h"
#include "platform/Trace.h"
#include "platform/WaylandSession.h"
#include "shell/frmMain.h"

#include <QCoreApplication>
#include <QTimer>

namespace FightMemory {

void PrepareCapture()
{
    if (modGremlok::FightInProgress || platform::IsWaylandSession())
        return;
    if (modGremlok::ScreenWidth <= 0 || modGremlok::ScreenHeight <= 0)
        modGremlok::ReadScreenMetrics();
    platform::ScreenCapture::Prepare(modGremlok::ScreenWidth, modGremlok::ScreenHeight);
    ReleaseWhenIdle(UnusedReleaseMs);
}

void ReleaseWhenIdle(int ms)
{
    // One timer for the whole run, restarted by every fight's end; it fires once and the
    // program is quiet again.
    static QTimer* timer = nullptr;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, [] {
            if (modGremlok::FightInProgress)
                return;   // the next fight's end starts the wait again
            // A linked peer starts fights with no warning at all: the buffer stays while the
            // link is up, and the link's end starts the wait again.
            if (const frmMain* m = frmMain::existing(); m && m->mnuDisconnect->isVisible())
                return;
            const bool freed = platform::ScreenCapture::Release();
            platform::TrimHeap();
            platform::Trace("capture.buffer", freed ? QStringLiteral("released") : QStringLiteral("none"));
        });
        QObject::connect(timer, &QObject::destroyed, [] { timer = nullptr; });
    }
    timer->start(ms);
}

} // namespace FightMemory
