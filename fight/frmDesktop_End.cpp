// The end of a fight: giving the desktop back, the kill time, the next automatic fight; and
// the two timers of the window (idle close, melting screen).
#include "fight/frmDesktop.h"
#include "fight/FightMemory.h"

#include "core/modGremlok.h"
#include "fight/BestTimes.h"
#include "fight/Enemy.h"
#include "fight/FightRecorder.h"
#include "fight/Rounding.h"
#include "platform/ForegroundWindow.h"
#include "platform/Raster.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTimer>
#include <cstring>

using namespace modGremlok;

qint64 frmDesktop::Elapsed(const ClockReading& start, const ClockReading& end)
{
    const qint64 steady = end.SteadyMs - start.SteadyMs;
    if (start.EventMs != 0 && end.EventMs != 0) {
        // Window-system timestamps are 32-bit milliseconds that wrap; the difference of two
        // of them is right across a wrap. Trust it while it agrees with our own clock (the
        // events reach us a little after they happened, never long before).
        const qint64 events = qint64(quint32(quint32(end.EventMs) - quint32(start.EventMs)));
        if (events >= 0 && events <= steady + 1000 && events + 1000 >= steady)
            return events;
    }
    return steady;
}

float frmDesktop::KillTime(const ClockReading& start, const ClockReading& end, double r)
{
    float t = float(Elapsed(start, end)) + float(20 * r + 1);
    if (t < 0)
        t = 0;
    return t;
}

void frmDesktop::EndFight()
{
    frmMain& m = frmMain::instance();
    Enemy& enemy = *gEnemy;

    // 1. The death animation plays to its end.
    if (m.tmrAnimDie->Enabled() || m_ending)
        return;
    m_ending = true;

    // 2. and 3. The enemy goes; the plain snapshot shows again.
    tmrAutoUnload->setEnabled(false);
    AutoRedraw = true;
    platform::Raster::Copy(m_backing, EnemyX, EnemyY, m.picDesktop, 0, 0, enemy.SpriteWidth,
                           enemy.SpriteHeight);
    if (isVisible())
        repaint();

    // 4. and 5.
    tmrScramble->setEnabled(false);
    SetTopmost(false);

    // 6. A kill in a single-player fight may be a best time.
    float t = -1;
    if (!enemy.Alive && !Linked()) {
        t = KillTime(StartTime, EndTime, QRandomGenerator::global()->generateDouble());
        platform::Trace("killtime", platform::SettingsStore::floatText(t));
        if (t <= SlowestBestTime)
            RecordBestTime(t, this);
    }
    RememberFight(t);

    // 7. The next automatic fight.
    if (IsInitiator && Linked())
        ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
    else if (m.mnuTimedFight->isEnabled() && m.mnuTimedFight->isChecked())
        ScheduleFight(TimedFightStart, TimedFightLength);

    // 8. Give the focus back to the window that had it.
    if (Linked() || m.mnuTimedFight->isChecked()) {
        if (!SavedWindowClass.isEmpty() || !SavedWindowTitle.isEmpty()) {
            bool ours = false;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w != this && w->isVisible()
                    && QString::fromLatin1(w->metaObject()->className()) == SavedWindowClass
                    && w->windowTitle() == SavedWindowTitle) {
                    w->raise();
                    w->activateWindow();
                    ours = true;
                    break;
                }
            }
            // Gone windows are simply not found.
            if (!ours)
                platform::SetForegroundWindow(SavedWindowClass, SavedWindowTitle);
        }
        SavedWindowClass.clear();
        SavedWindowTitle.clear();
    }

    // 9. to 12.
    m.tmrSysTrayLeftButton->Tag.clear();
    m.picDesktop.fill(Qt::black);
    m.tmrAnimAttack->setEnabled(false);
    m.tmrAnimDie->setEnabled(false);
    Unload();
}

void frmDesktop::Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    m_topmost = false;
    tmrAutoUnload->setEnabled(false);
    tmrScramble->setEnabled(false);
    releaseKeyboard();
    // Hiding the window makes the window system repaint whatever lay beneath it.
    hide();
    platform::Trace("fight", QStringLiteral("closed"));
    FightMemory::ReleaseWhenIdle();
    // Destroyed once the handler that called us has returned.
    QTimer::singleShot(0, qApp, [] {
        if (frmDesktop* f = frmDesktop::existing(); f && f->m_unloading)
            frmDesktop::release();
    });
}

void frmDesktop::tmrAutoUnload_Timer()
{
    tmrAutoUnload->setEnabled(false);
    Form_MouseDown(2, 0, 0, 0);
}

void frmDesktop::tmrScramble_Timer()
{
    // The screen drips: 100 random blocks, each an eighth of the screen, slide down by 1/150
    // of its height.
    QImage& img = Surface();
    if (img.isNull())
        return;
    const int W = img.width();
    const int H = img.height();
    const int bw = RoundEven(W / 8.0);
    const int bh = RoundEven(H / 8.0);
    const int drop = std::max(1, RoundEven(H / 150.0));
    QRandomGenerator* rng = QRandomGenerator::global();
    QRect dirty;
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    for (int n = 0; n < 100; ++n) {
        const int sx = RoundEven(W * rng->generateDouble());
        const int sy = RoundEven(H * rng->generateDouble());
        const int w = std::min(bw, W - sx);
        const int h = std::min(bh, H - (sy + drop));
        if (w <= 0 || h <= 0)
            continue;
        // Bottom row first: source and destination overlap.
        for (int j = h - 1; j >= 0; --j)
            std::memmove(bits + (sy + drop + j) * bpl + sx * 4, bits + (sy + j) * bpl + sx * 4,
                         size_t(w) * 4);
        dirty |= QRect(sx, sy + drop, w, h);
    }
    if (!dirty.isEmpty() && !AutoRedraw && isVisible()) {
        const QRect logical = QRectF(dirty.x() / m_dpr, dirty.y() / m_dpr, dirty.width() / m_dpr,
                                     dirty.height() / m_dpr).toAlignedRect();
        update(logical);
    }
}
