// What each message from the peer does, and the listener's opening messages.
#include "core/Logging.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/FightRecorder.h"
#include "fight/frmDesktop.h"
#include "net/frmConnecting.h"
#include "platform/Trace.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"
#include "sound/SoundEffects.h"

using namespace modGremlok;

namespace {

// The shortest wait before asking a busy peer again for a fight.
constexpr int32_t kDeniedRetryMs = 1000;

QString intervalMinutes()
{
    return QString::number(PeerLink::MinutesFrom(MultiplayerFightStart)) + QStringLiteral(" to ")
        + QString::number(PeerLink::MinutesTo(MultiplayerFightStart, MultiplayerFightLength));
}

} // namespace

void frmMain::sendOpeningMessages()
{
    if (Difficulty == 4)
        mnuIntermediate_Click();   // switches to Intermediate and tells the peer so
    else
        SendPeerMessage(QStringLiteral("Difficulty:") + QString::number(Difficulty));
    SendPeerMessage(QStringLiteral("Interval:") + QString::number(MultiplayerFightStart) + QStringLiteral(",")
                    + QString::number(MultiplayerFightLength));
    SendPeerMessage(QStringLiteral("Nickname:") + Nickname);
}

void frmMain::DispatchPeerMessage(const QString& message)
{
    const PeerLink::Parsed p = PeerLink::Parse(message);
    platform::Trace("link.recv", message.left(40));
    using K = PeerLink::Kind;
    switch (p.kind) {
    case K::IWon:
        // The peer killed first: our enemy, if still alive, fires at once.
        if (gEnemy->Alive && FightInProgress) {
            PlayerAlive = false;
            if (frmDesktop* f = frmDesktop::existing())
                f->WaitingForFirstMove = false;   // a late first movement must not slow it again
            tmrAnimAttack->setInterval(1);
            tmrAnimAttack->setEnabled(true);
            platform::Trace("link", QStringLiteral("lost"));
        } else if (FightInProgress && !IsInitiator) {
            // Both killed before hearing of the other's kill: the two "IWon" crossed. Both
            // sides see the same crossing, so one rule settles it on both: the connecting
            // side's kill stands, ours yields. Otherwise both would count the fight as won.
            PlayerAlive = false;
            platform::Trace("link", QStringLiteral("lost (kills crossed)"));
        }
        break;
    case K::StartOK:
        SetFightOrigin(FightOrigin::Linked);
        frmDesktop::instance().Show();
        break;
    case K::ShotFired:
        if (FightInProgress)
            gSound->Play(SoundEffects::EnemyShot);
        break;
    case K::StartNow:
        if (!DialogOpen && !MessageBoxOpen && !FightInProgress) {
            SendPeerMessage(QStringLiteral("StartOK"));
            StartOnSendComplete = true;
        } else {
            SendPeerMessage(QStringLiteral("StartDenied"));
        }
        break;
    case K::Pause:
        OpponentAway = true;
        if (IsInitiator && !mnuPause->isChecked())
            StopFightTimer();
        UpdateTrayStatus();
        ShowBalloon(AppTitle, OpponentNickname + QStringLiteral(" is away."), 10000);
        break;
    case K::Resume:
        OpponentAway = false;
        if (IsInitiator && !mnuPause->isChecked())
            ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
        UpdateTrayStatus();
        ShowBalloon(AppTitle, OpponentNickname + QStringLiteral(" has returned."), 10000);
        break;
    case K::StartDenied:
        // Another try later, unless someone went away or a dialog opened meanwhile (those
        // arm the timer again when they end). Never sooner than a second: with an interval of
        // zero the two copies would otherwise trade StartNow and StartDenied as fast as the
        // link carries them for as long as the peer's fight lasts.
        if (IsInitiator && !OpponentAway && !mnuPause->isChecked() && !DialogOpen)
            ScheduleFight(MultiplayerFightStart, MultiplayerFightLength, kDeniedRetryMs);
        break;
    case K::Interval:
        MultiplayerFightStart = p.start;
        MultiplayerFightLength = p.length;
        if (!OpponentNickname.isEmpty())
            ShowBalloon(AppTitle, OpponentNickname + QStringLiteral(" has changed the interval to ") + intervalMinutes()
                                      + QStringLiteral(" minutes."), 10000);
        break;
    case K::Nickname:
        OpponentNickname = p.text;
        if (frmConnecting* f = frmConnecting::existing())
            f->close();
        UpdateTrayStatus();
        ShowBalloon(AppTitle,
                    QStringLiteral("Connected to ") + OpponentNickname + QStringLiteral(" [") + Winsock->RemoteHostIP()
                        + QStringLiteral("]\r\nInterval: ") + intervalMinutes() + QStringLiteral(" minutes\r\nDifficulty: ")
                        + DifficultyName(),
                    10000);
        gSound->PlaySoundEvent(SoundEffects::Connected);
        if (IsInitiator) {
            SendPeerMessage(QStringLiteral("Nickname:") + Nickname);
            ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
        }
        break;
    case K::Difficulty:
        Difficulty = p.difficulty;
        ApplyDifficulty(true);
        if (!OpponentNickname.isEmpty())
            ShowBalloon(AppTitle, OpponentNickname + QStringLiteral(" has set the difficulty to ") + DifficultyName()
                                      + QStringLiteral("."), 10000);
        break;
    case K::Msg:
        ShowBalloon(QStringLiteral("Message from ") + OpponentNickname + QStringLiteral(":"), p.text,
                    PeerLink::MessageTimeout(p.text));
        gSound->PlaySoundEvent(SoundEffects::IncomingMessage);
        break;
    case K::Ignored:
        if (message.startsWith(QLatin1String("Interval")) || message.startsWith(QLatin1String("Nickname"))
            || message.startsWith(QLatin1String("Difficulty")) || message.startsWith(QLatin1String("Msg:")))
            qCWarning(lcNet) << "malformed peer message ignored:" << message.left(40);
        break;
    }
}
