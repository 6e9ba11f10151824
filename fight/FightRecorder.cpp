#include "fight/FightRecorder.h"

#include "core/Logging.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/FightHistory.h"
#include "fight/Weapon.h"
#include "platform/OptionalModule.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <optional>

namespace modGremlok {

namespace {
std::optional<FightOrigin> pendingOrigin;
QString pendingOpponent;

bool linked()
{
    return frmMain::isLoaded() && frmMain::instance().mnuDisconnect->isVisible();
}
} // namespace

void SetFightOrigin(FightOrigin origin)
{
    if (FightInProgress)
        return;
    pendingOrigin = origin;
    // The nickname as the fight begins: a link that drops mid-fight may clear it.
    pendingOpponent = origin == FightOrigin::Linked ? OpponentNickname : QString();
}

FightEntry CurrentFightOutcome(float killTime)
{
    FightEntry f;
    f.At = QDateTime::currentMSecsSinceEpoch();
    const bool isLinked = linked();
    if (pendingOrigin)
        f.Origin = *pendingOrigin;
    else if (isLinked)
        f.Origin = FightOrigin::Linked;
    else if (frmMain::isLoaded() && frmMain::instance().mnuTimedFight->isChecked())
        f.Origin = FightOrigin::Timed;
    else
        f.Origin = FightOrigin::FightNow;
    f.Difficulty = Difficulty;
    f.Skin = Skin;
    if (gEnemy && !gEnemy->Alive)
        f.Result = FightResult::Kill;
    else if (!PlayerAlive)
        f.Result = FightResult::Lost;
    else
        f.Result = FightResult::Left;
    if (f.Result == FightResult::Kill && killTime >= 0)
        f.KillMs = killTime;
    f.Shots = gWeapon ? gWeapon->BulletsFired() : 0;
    if (f.Origin == FightOrigin::Linked || isLinked) {
        f.Opponent = !pendingOpponent.isEmpty() ? pendingOpponent : OpponentNickname;
        // The first to kill wins; the loser's enemy strikes at once. A kill that crossed the
        // peer's and yielded to it (the player is no longer alive) is a loss.
        f.Peer = f.Result == FightResult::Kill ? (PlayerAlive ? PeerResult::Won : PeerResult::Lost)
               : f.Result == FightResult::Lost ? PeerResult::Lost : PeerResult::None;
    }
    return f;
}

void RememberFight(float killTime)
{
    const FightEntry f = CurrentFightOutcome(killTime);
    pendingOrigin.reset();
    pendingOpponent.clear();
    QMetaObject::invokeMethod(QCoreApplication::instance(), [f] {
        static platform::OptionalModule history(QStringLiteral("gremlok_history"));
        const auto record = history.Function<decltype(&gremlok_history_record)>("gremlok_history_record");
        if (!record)
            qCWarning(lcHistory) << "fight not recorded: no fight history:" << history.ErrorString();
        const bool ok = record && record(&f);
        QString text = FightCodes::Result(f.Result);
        if (f.HasKillTime())
            text += QLatin1Char(' ') + platform::SettingsStore::floatText(float(f.KillMs));
        platform::Trace("history", (ok ? QStringLiteral("recorded ") : QStringLiteral("lost ")) + text);
    }, Qt::QueuedConnection);
}

} // namespace modGremlok
