#include "shell/TimedFight.h"

#include "core/modGremlok.h"
#include "fight/FightMemory.h"
#include "fight/FightRecorder.h"
#include "fight/frmDesktop.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <limits>

using namespace modGremlok;

namespace {

// The fight timer lives as long as the application; one single-shot timer means a fight can
// never be armed twice or keep firing after its identifier was forgotten.
QTimer* fightTimer()
{
    static QTimer* timer = nullptr;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setTimerType(Qt::CoarseTimer);
        QObject::connect(timer, &QTimer::timeout, [] { FightTimerProc(); });
        QObject::connect(timer, &QObject::destroyed, [] { timer = nullptr; });
    }
    return timer;
}

// Fires a moment before the fight timer, so that the fight finds its capture buffer ready.
constexpr int kWarmUpMs = 1000;
QTimer* warmUpTimer()
{
    static QTimer* timer = nullptr;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, [] { FightMemory::PrepareCapture(); });
        QObject::connect(timer, &QObject::destroyed, [] { timer = nullptr; });
    }
    return timer;
}

int32_t nextTimerId = 0;

} // namespace

namespace TimedFight {

int32_t Delay(int32_t start, int16_t length, double r)
{
    if (!(r >= 0.0) || r >= 1.0)
        r = 0.0;
    // Worked in 64 bits: a start of a few million seconds must not wrap to a negative delay.
    const int64_t startMs = int64_t(start) * 1000;
    int64_t delay;
    if (length > 0)
        delay = int64_t(r * double(int64_t(length) * 1000 + 1)) + startMs;
    else
        delay = int64_t(r * 4.0) + startMs - 3;
    if (delay < 0)
        delay = 0;
    return int32_t(std::min<int64_t>(delay, std::numeric_limits<int32_t>::max()));
}

int RemainingTime()
{
    QTimer* t = fightTimer();
    return t->isActive() ? t->remainingTime() : -1;
}

} // namespace TimedFight

namespace modGremlok {

void ScheduleFight(int32_t start, int16_t length, int32_t atLeastMs)
{
    // Reseeded from the clock for every draw, fine-grained so that two draws in the same
    // millisecond still differ.
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    QRandomGenerator rng(quint32(QDateTime::currentMSecsSinceEpoch()) ^ quint32(now) ^ quint32(now >> 32));
    const int32_t delay = std::max(atLeastMs, TimedFight::Delay(start, length, rng.generateDouble()));
    // A pending fight is replaced, never doubled.
    StopFightTimer();
    fightTimer()->start(delay);
    warmUpTimer()->start(std::max(0, delay - kWarmUpMs));
    platform::Trace("fighttimer", QStringLiteral("armed %1").arg(delay));
    FightTimerId = ++nextTimerId > 0 ? nextTimerId : (nextTimerId = 1);
}

void StopFightTimer()
{
    if (QTimer* t = fightTimer(); t && t->isActive()) {
        t->stop();
        platform::Trace("fighttimer", "stopped");
    }
    if (QTimer* w = warmUpTimer(); w->isActive())
        w->stop();
    FightTimerId = 0;
}

void FightTimerProc()
{
    // Stopped first: the fight or the peer's answer may arm the next one before we return.
    StopFightTimer();
    if (!frmMain::isLoaded())
        return;
    frmMain& main = frmMain::instance();
    if (!main.mnuDisconnect->isVisible()) {
        SetFightOrigin(FightOrigin::Timed);
        frmDesktop::instance().Show();
    } else {
        main.SendPeerMessage(QStringLiteral("StartNow"));
    }
}

} // namespace modGremlok

void frmMain::mnuTimedFight_Click()
{
    if (mnuTimedFight->isChecked()) {
        SetTag(mnuTimedFight, QString());
        mnuTimedFight->setChecked(false);
        mnuFightNow->setEnabled(true);
        StopFightTimer();
        UpdateTrayStatus();
    } else {
        mnuTimedFight->setChecked(true);
        // A fight cannot be started by hand while timed fights are on.
        mnuFightNow->setEnabled(false);
        UpdateTrayStatus();
        ScheduleFight(TimedFightStart, TimedFightLength);
    }
}

void frmMain::mnuPause_Click()
{
    if (!mnuPause->isChecked()) {
        SendPeerMessage(QStringLiteral("Pause"));
        if (IsInitiator && !OpponentAway)
            StopFightTimer();
        mnuPause->setChecked(true);
    } else {
        SendPeerMessage(QStringLiteral("Resume"));
        if (IsInitiator && !OpponentAway)
            ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
        mnuPause->setChecked(false);
    }
    UpdateTrayStatus();
}
