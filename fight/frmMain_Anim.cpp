// The enemy's two animations, driven by timers of the main window: the attack row (which ends
// with the enemy shooting the player) and the death row after the player's hit.
#include "shell/frmMain.h"

#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/frmDesktop.h"
#include "platform/Help.h"
#include "platform/Raster.h"
#include "platform/Trace.h"
#include "sound/SoundEffects.h"

using namespace modGremlok;

namespace {
constexpr int kFirstRunHelpTopic = 14;

void startAutoUnload(frmDesktop& form)
{
    if (AutoUnload) {
        form.tmrAutoUnload->setInterval(int(AutoUnloadTime) * 1000);
        form.tmrAutoUnload->setEnabled(true);
    }
}
// One tick of either animation: advances the timer's frame counter and draws that frame of
// the row at the enemy's place. Returns the frame drawn, or 0 (timer stopped) with no fight.
int drawNextFrame(frmMain& m, FormTimer* timer, bool deathRow, frmDesktop*& form)
{
    form = frmDesktop::existing();
    if (!form || !FightInProgress) {
        timer->setEnabled(false);
        return 0;
    }
    Enemy& enemy = *gEnemy;
    const int k = timer->Tag.toInt() + 1;
    timer->Tag = QString::number(k);
    if (deathRow)
        enemy.DrawLostSprite(form->Surface(), m.picDesktop, EnemyX, EnemyY, uint8_t(k));
    else
        enemy.DrawAttackSprite(form->Surface(), m.picDesktop, EnemyX, EnemyY, uint8_t(k));
    form->Flush(QRect(EnemyX, EnemyY, enemy.SpriteWidth, enemy.SpriteHeight));
    return k;
}
} // namespace

void frmMain::tmrAnimAttack_Timer()
{
    frmDesktop* form = nullptr;
    const int k = drawNextFrame(*this, tmrAnimAttack, false, form);
    if (k == 0)
        return;
    const int N = gEnemy->NumAttackSprites;

    if (k == N - 1) {
        gSound->Play(SoundEffects::EnemyShot);
        PlayerAlive = false;
        platform::Trace("enemy", QStringLiteral("fires"));
    }
    // Past the last frame as well: a sheet of one frame (or none) must still end the attack.
    if (k >= N) {
        tmrAnimAttack->setEnabled(false);
        PlayerAlive = false;
        if (Blood) {
            // Only the red of every visible pixel stays.
            QImage& screen = form->Surface();
            platform::Raster::Fill(screen, QRect(0, 0, ScreenWidth, ScreenHeight), qRgb(255, 0, 0),
                                   platform::Raster::Op::And);
            form->Flush(QRect(0, 0, ScreenWidth, ScreenHeight));
        }
        gSound->Play(SoundEffects::UserDies);
        if (FirstRun)
            platform::Help::ShowPopup(kFirstRunHelpTopic, form);
        if (Scramble && !FirstRun)
            form->tmrScramble->setEnabled(true);
        FirstRun = false;
        startAutoUnload(*form);
        platform::Trace("player", QStringLiteral("dead"));
    }
}

void frmMain::tmrAnimDie_Timer()
{
    frmDesktop* form = nullptr;
    const int k = drawNextFrame(*this, tmrAnimDie, true, form);
    if (k == 0)
        return;
    const int D = gEnemy->NumDieSprites;

    if (k >= D) {
        gSound->Play(SoundEffects::EnemyDies);
        tmrAnimDie->setEnabled(false);
        if (FirstRun) {
            FirstRun = false;
            platform::Help::ShowPopup(kFirstRunHelpTopic, form);
        }
        startAutoUnload(*form);
        platform::Trace("enemy", QStringLiteral("dead"));
    }
}
