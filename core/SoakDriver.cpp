#include "core/SoakDriver.h"

#include "core/modGremlok.h"
#include "dialogs/frmBestTimes.h"
#include "fight/Enemy.h"
#include "fight/FightRecorder.h"
#include "fight/frmDesktop.h"
#include "platform/ProcessUsage.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMouseEvent>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWindow>

namespace modGremlok {

namespace {

class SoakDriver : public QObject {
public:
    explicit SoakDriver(int fights) : QObject(qApp), m_total(fights)
    {
        // Polled rather than hooked: the fight's own code stays as it is, and the ticks keep
        // coming inside the modal loops of the name prompt and Best Times.
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &SoakDriver::Tick);
        m_timer.start();
        m_since.start();
        platform::Trace("soak", QStringLiteral("start %1").arg(fights));
    }

private:
    enum class Step { Idle, Shown, Moved, Shot, Ending };

    static bool Linked() { return frmMain::instance().mnuDisconnect->isVisible(); }
    // Available for a peer or linked to one: fights come from the link, none are started here.
    static bool LinkMode()
    {
        const frmMain& m = frmMain::instance();
        return m.mnuDisconnect->isVisible() || m.mnuListen->isChecked();
    }

    void Go(Step s, int pauseMs = 0)
    {
        m_step = s;
        m_pause = pauseMs;
        m_since.restart();
    }

    // Mouse events go to the fight's window as the window system's would, so the window
    // routes them to the form and its handlers run as for a player.
    static void Mouse(frmDesktop* f, QEvent::Type type, const QPoint& device, Qt::MouseButton button, bool post)
    {
        QWindow* window = f->windowHandle();
        QObject* target = window ? static_cast<QObject*>(window) : static_cast<QObject*>(f);
        const qreal dpr = f->devicePixelRatioF();
        const QPointF local(device.x() / dpr, device.y() / dpr);
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        auto* e = new QMouseEvent(type, local, f->mapToGlobal(local), button, held, Qt::NoModifier);
        if (post) {
            QCoreApplication::postEvent(target, e);
        } else {
            QCoreApplication::sendEvent(target, e);
            delete e;
        }
    }
    static void Click(frmDesktop* f, const QPoint& device, Qt::MouseButton button, bool post)
    {
        Mouse(f, QEvent::MouseButtonPress, device, button, post);
        Mouse(f, QEvent::MouseButtonRelease, device, button, post);
    }

    // The visible enemy pixel nearest the middle of its frame, as the fight's hit test sees it.
    static bool Target(const frmDesktop& f, QPoint& hit)
    {
        const Enemy& enemy = *gEnemy;
        const QPoint mid(EnemyX + enemy.SpriteWidth / 2, EnemyY + enemy.SpriteHeight / 2);
        int best = -1;
        for (int y = EnemyY; y < EnemyY + enemy.SpriteHeight; ++y) {
            for (int x = EnemyX; x < EnemyX + enemy.SpriteWidth; ++x) {
                const int d = (x - mid.x()) * (x - mid.x()) + (y - mid.y()) * (y - mid.y());
                if ((best < 0 || d < best) && f.IsEnemyPixel(QPoint(x, y))) {
                    best = d;
                    hit = QPoint(x, y);
                }
            }
        }
        return best >= 0;
    }

    // Answers a modal window of the fight's end as a player would; true while one is up.
    static bool AnswerDialog()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return false;
        if (auto* prompt = qobject_cast<QInputDialog*>(modal)) {
            prompt->setTextValue(QStringLiteral("Soak"));
            prompt->accept();
        } else if (auto* table = qobject_cast<frmBestTimes*>(modal)) {
            table->cmdOK_Click();
        }
        return true;
    }

    void Tick()
    {
        if (AnswerDialog())
            return;
        // The fight being played is over once its window is gone, even when the next one
        // (the peer's) has come up before this tick.
        if (m_step != Step::Idle && !m_fight) {
            FightOver();
            return;
        }
        frmDesktop* f = frmDesktop::existing();
        const qint64 waited = m_since.elapsed();
        if (m_step != Step::Idle && waited > kStuckMs) {
            // Whatever held the fight up, the right button ends it as it would for a player.
            platform::Trace("soak", QStringLiteral("stuck %1 in step %2").arg(m_played + 1).arg(int(m_step)));
            ++m_stuck;
            Mouse(f, QEvent::MouseButtonPress, QPoint(0, 0), Qt::RightButton, true);
            Go(Step::Ending);
            return;
        }
        if (waited < m_pause)
            return;
        QRandomGenerator& rng = *QRandomGenerator::global();
        switch (m_step) {
        case Step::Idle:
            if (f) {
                // A linked fight: both sides shoot after a pause of their own, so either may win.
                m_fight = f;
                m_outcome.clear();
                m_shots = 0;
                Go(Step::Shown, Linked() ? rng.bounded(20, 400) : rng.bounded(0, 50));
                return;
            }
            if (m_played >= m_total)
                return;
            if (!LinkMode() && !FightInProgress && frmMain::instance().mnuFightNow->isEnabled())
                frmMain::instance().mnuFightNow_Click();
            return;
        case Step::Shown:
            if (!f->isVisible())
                return;
            // The first movement: a few pixels from where the pointer rested.
            Mouse(f, QEvent::MouseMove, f->StartCursor + QPoint(3, 2), Qt::NoButton, false);
            Go(Step::Moved, Linked() ? 0 : rng.bounded(20, 150));
            return;
        case Step::Moved:
        case Step::Shot:
            if (Outcome()) {
                Mouse(f, QEvent::MouseButtonPress, QPoint(0, 0), Qt::RightButton, true);
                Go(Step::Ending);
                return;
            }
            // Another round while the enemy stands (a frame changed under the aim, say).
            if (gEnemy->Alive && PlayerAlive && m_shots < 6) {
                QPoint hit;
                if (Target(*f, hit)) {
                    ++m_shots;
                    Click(f, hit, Qt::LeftButton, false);
                }
                Go(Step::Shot, 100);
            }
            return;
        case Step::Ending:
            return;
        }
    }

    // The fight has an outcome once its animation is over (the enemy has died, or has shot):
    // the one the program records, which in a linked fight is the duel's, not only our kill's.
    bool Outcome()
    {
        const frmMain& m = frmMain::instance();
        // (After kills that crossed, the player counts as dead while the enemy still dies.)
        if (m.tmrAnimDie->Enabled() || m.tmrAnimAttack->Enabled() || (gEnemy->Alive && PlayerAlive))
            return false;
        const FightEntry e = CurrentFightOutcome(-1);
        const bool won = e.Peer != PeerResult::None ? e.Peer == PeerResult::Won : e.Result == FightResult::Kill;
        m_outcome = won ? QStringLiteral("won") : QStringLiteral("lost");
        return true;
    }

    void FightOver()
    {
        ++m_played;
        platform::Trace("soak", QStringLiteral("fight %1 %2").arg(m_played)
                                    .arg(m_outcome.isEmpty() ? QStringLiteral("left") : m_outcome));
        if (m_played == 1 || m_played == 10 || m_played % 100 == 0 || m_played == m_total)
            platform::Trace("soak", QStringLiteral("sample %1 rss %2 fds %3").arg(m_played)
                                        .arg(platform::ResidentKiB()).arg(platform::OpenFileCount()));
        if (m_played == m_total)
            platform::Trace("soak", QStringLiteral("done %1 stuck %2").arg(m_played).arg(m_stuck));
        Go(Step::Idle);
    }

    static constexpr qint64 kStuckMs = 20000;
    QTimer m_timer;
    QElapsedTimer m_since;
    Step m_step = Step::Idle;
    int m_pause = 0;
    int m_total;
    int m_played = 0;
    int m_stuck = 0;
    int m_shots = 0;
    QString m_outcome;
    QPointer<frmDesktop> m_fight;
};

} // namespace

void StartSoakIfAsked()
{
    const int fights = qEnvironmentVariableIntValue("GREMLOK_SOAK");
    if (fights > 0)
        new SoakDriver(fights);
}

} // namespace modGremlok
