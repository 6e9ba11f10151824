// The fight's input: the first movement starts the clock and the attack, the left button
// shoots, the right button (and Escape) ends the fight.
#include "fight/frmDesktop.h"

#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/Weapon.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"
#include "sound/SoundEffects.h"

#include <algorithm>

using namespace modGremlok;

frmDesktop::ClockReading frmDesktop::ReadClock(quint64 timestamp) const
{
    ClockReading c;
    c.EventMs = timestamp;
    c.SteadyMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    return c;
}

void frmDesktop::StartClock(quint64 timestamp)
{
    StartTime = ReadClock(timestamp);
    WaitingForFirstMove = false;
    frmMain& m = frmMain::instance();
    Enemy& enemy = *gEnemy;
    if (enemy.NumAttackSprites > m.tmrAnimAttack->Tag.toInt() && enemy.Alive) {
        m.tmrAnimAttack->setEnabled(true);
        m.tmrAnimAttack->setInterval(AnimationSpeed);
    }
    platform::Trace("clock", QStringLiteral("started"));
}

void frmDesktop::Form_MouseMove(int X, int Y, quint64 timestamp)
{
    if (!WaitingForFirstMove)
        return;
    if (gWeapon->HasFired() || X != StartCursor.x() || Y != StartCursor.y())
        StartClock(timestamp);
}

void frmDesktop::Form_MouseDown(int Button, int /*Shift*/, int X, int Y, quint64 timestamp)
{
    if (m_unloading)
        return;
    if (Button == 1)
        Shoot(QPoint(X, Y), timestamp);
    else if (Button == 2)
        EndFight();
}

bool frmDesktop::IsEnemyPixel(const QPoint& p) const
{
    frmMain& m = frmMain::instance();
    const QImage& patch = m.picDesktop;
    const Enemy& enemy = *gEnemy;
    const QPoint inPatch(p.x() - EnemyX, p.y() - EnemyY);
    // The hit box reaches one pixel past the frame on the right and at the bottom; no sprite
    // pixel is ever drawn there, so a shot there cannot be a hit.
    if (inPatch.x() < 0 || inPatch.y() < 0 || inPatch.x() >= enemy.SpriteWidth
        || inPatch.y() >= enemy.SpriteHeight || !patch.valid(inPatch) || !m_screen.valid(p))
        return false;
    // Only the enemy itself: a splat or hole that a miss beside the frame left over its
    // transparent part differs from the desktop too. The frame on screen is the death row's
    // once it has drawn one, else the attack row's (frame 1 from the set-up on, the last one
    // once the attack has run out).
    const int dying = m.tmrAnimDie->Tag.toInt();
    const int frame = dying > 0 ? std::min(dying, int(enemy.NumDieSprites))
                                : std::clamp(m.tmrAnimAttack->Tag.toInt(), 1, std::max(1, int(enemy.NumAttackSprites)));
    if (!enemy.IsSpritePixel(dying > 0, frame, inPatch.x(), inPatch.y()))
        return false;
    // A sprite pixel of exactly the desktop's colour under it does not show.
    const QRgb shown = m_screen.pixel(p) & 0x00FFFFFFu;
    const QRgb under = patch.pixel(inPatch) & 0x00FFFFFFu;
    return shown != under;
}

void frmDesktop::Shoot(const QPoint& p, quint64 timestamp)
{
    frmMain& m = frmMain::instance();
    Enemy& enemy = *gEnemy;
    Weapon& weapon = *gWeapon;

    if (!PlayerAlive)
        return;
    // The clock starts with the first shot as well as with the first movement: a shot that
    // comes before any movement must not leave the clock to start after the kill.
    if (WaitingForFirstMove)
        StartClock(timestamp);
    if (enemy.Alive && !m.tmrAnimAttack->Enabled() && !Linked())
        m.tmrAnimAttack->setEnabled(true);
    if (weapon.IsEmpty()) {
        gSound->Play(SoundEffects::UserEmpty);
        platform::Trace("shot", QStringLiteral("empty"));
        return;
    }

    // The press's position in device pixels of the fight's screen (see ToDevice).
    const bool inBox = p.x() >= EnemyX && p.x() <= EnemyX + enemy.SpriteWidth
        && p.y() >= EnemyY && p.y() <= EnemyY + enemy.SpriteHeight;
    if (!inBox) {
        if (Linked())
            m.SendPeerMessage(QStringLiteral("ShotFired"));
        weapon.FireMiss(*this, p.x(), p.y());
        platform::Trace("shot", QStringLiteral("miss %1 %2").arg(p.x()).arg(p.y()));
    } else if (IsEnemyPixel(p)) {
        weapon.FireHit(*this, p.x(), p.y());
        if (enemy.Alive) {
            EndTime = ReadClock(timestamp);
            m.tmrAnimAttack->setEnabled(false);
            m.tmrAnimDie->setEnabled(true);
            enemy.Alive = false;
            if (Linked())
                m.SendPeerMessage(QStringLiteral("IWon"));
        } else if (Linked()) {
            m.SendPeerMessage(QStringLiteral("ShotFired"));
        }
        platform::Trace("shot", QStringLiteral("hit %1 %2").arg(p.x()).arg(p.y()));
    } else {
        weapon.FireMiss(*this, p.x(), p.y());
        if (Linked())
            m.SendPeerMessage(QStringLiteral("ShotFired"));
        // The hole stays visible through the transparent parts of the following frames.
        weapon.DrawPictureHole(m.picDesktop, p.x() - EnemyX, p.y() - EnemyY);
        platform::Trace("shot", QStringLiteral("through %1 %2").arg(p.x()).arg(p.y()));
    }

    if (tmrAutoUnload->Enabled()) {
        tmrAutoUnload->setEnabled(false);
        tmrAutoUnload->setEnabled(true);
    }
}
