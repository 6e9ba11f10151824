#include "fight/frmDesktop.h"

#include "core/PictureReader.h"
#include "core/Logging.h"
#include "core/Strings.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/Rounding.h"
#include "fight/ScaledPicture.h"
#include "fight/ScreenPointer.h"
#include "fight/Weapon.h"
#include "platform/ForegroundWindow.h"
#include "platform/PortalCapture.h"
#include "platform/Raster.h"
#include "platform/ScaledCursor.h"
#include "platform/System.h"
#include "platform/WaylandSession.h"
#include "platform/ScreenCapture.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"
#include "sound/SoundEffects.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtEndian>
#include <cmath>

using namespace modGremlok;

namespace {

// A ".cur" file's hot spot, from its first directory entry (ICONDIR, then ICONDIRENTRY whose
// planes and bit-count fields hold the hot spot for cursors).
bool curHotSpot(const QString& path, QPoint& hotSpot)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(22);
    if (h.size() < 22)
        return false;
    const auto u16 = [&h](int at) { return qFromLittleEndian<quint16>(h.constData() + at); };
    if (u16(0) != 0 || u16(2) != 2 || u16(4) == 0)
        return false;
    hotSpot = QPoint(u16(10), u16(12));
    return true;
}

} // namespace

frmDesktop::frmDesktop()
{
    setWindowTitle(AppTitle);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    tmrAutoUnload = new FormTimer(this);
    tmrAutoUnload->setInterval(5000);
    // The melting effect runs as fast as the system timer allows; one tick per display frame
    // is all the screen can show.
    tmrScramble = new FormTimer(this, Qt::PreciseTimer);
    tmrScramble->setInterval(16);
    connect(tmrAutoUnload, &FormTimer::Timer, this, &frmDesktop::tmrAutoUnload_Timer);
    connect(tmrScramble, &FormTimer::Timer, this, &frmDesktop::tmrScramble_Timer);

    FightInProgress = true;
    gEnemy->Alive = true;
    PlayerAlive = true;
    frmMain& m = frmMain::instance();
    m.tmrAnimAttack->Tag = QStringLiteral("0");
    m.tmrAnimDie->Tag = QStringLiteral("0");
    m_clock.start();
}

frmDesktop::~frmDesktop()
{
    FightInProgress = false;
}

bool frmDesktop::Linked()
{
    return frmMain::instance().mnuDisconnect->isVisible();
}

void frmDesktop::Show()
{
    if (m_loaded) {
        if (!m_unloading) {
            raise();
            activateWindow();
        }
        return;
    }
    m_showTimer.start();
    m_loaded = true;
    Form_Load();
    // The screen under the pointer, chosen by the set-up.
    QScreen* screen = ScreenPointer::Screen();
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    // Full screen keeps the window above the panel under window managers that stack docks
    // over ordinary "always on top" windows.
    showFullScreen();
    SetTopmost(true);
    platform::Trace("fight", QStringLiteral("shown"));
}

void frmDesktop::CaptureScreen()
{
    if (!platform::IsWaylandSession()) {
        // The fight's screen, ScreenWidth x ScreenHeight device pixels at its place on the desktop.
        const QRect area = platform::DeviceGeometry(ScreenPointer::Screen());
        m_backing = platform::ScreenCapture::Grab(QRect(area.topLeft(), QSize(ScreenWidth, ScreenHeight)));
        platform::Trace("capture", platform::ScreenCapture::LastMethod());
        return;
    }
    QScreen* screen = ScreenPointer::Screen();
    QString refused, method;
    QImage shot = platform::WaylandCapture(screen, QSize(ScreenWidth, ScreenHeight), &refused, &method);
    platform::Trace("capture", method);
    // Said once per run: the player learns why the desktop does not freeze, not at every fight.
    static bool refusalTold = false;
    if (!refused.isEmpty() && !refusalTold) {
        refusalTold = true;
        qCWarning(lcFight) << "The desktop could not be captured (" << refused << "); fights run over a plain background";
        ShowBalloon(AppTitle, QStringLiteral("The desktop could not be captured (%1). Fights run over a plain background.")
                                  .arg(refused), 10000);
    }
    if (shot.isNull())
        qCWarning(lcFight) << "The screen could not be captured; the fight shows a black desktop";
    if (shot.format() != QImage::Format_RGB32)
        shot.convertTo(QImage::Format_RGB32);
    // The snapshot is ScreenWidth x ScreenHeight device pixels whatever the grab returned.
    if (shot.size() != QSize(ScreenWidth, ScreenHeight)) {
        QImage sized(std::max(ScreenWidth, 1), std::max(ScreenHeight, 1), QImage::Format_RGB32);
        sized.fill(Qt::black);
        QPainter p(&sized);
        p.drawImage(0, 0, shot);
        p.end();
        shot = sized;
    }
    shot.setDevicePixelRatio(1.0);
    m_backing = shot;
}

void frmDesktop::Form_Load()
{
    frmMain& m = frmMain::instance();
    Enemy& enemy = *gEnemy;
    // The fight covers the screen under the pointer, at its own pixel density; the enemy and
    // the shots are drawn at its scale factor, so they look as large as on a normal screen.
    ScreenPointer::ChooseScreen();
    ReadScreenMetrics();
    m_dpr = ScreenPointer::Ratio();
    enemy.SetScale(m_dpr);
    const QRect area = platform::DeviceGeometry(ScreenPointer::Screen());
    platform::Trace("screen", QStringLiteral("%1 %2 %3 %4 %5").arg(area.x()).arg(area.y())
                                  .arg(ScreenWidth).arg(ScreenHeight).arg(m_dpr));

    // 1. and 2. The window's place, and the snapshot of the screen as the backing image.
    SetTopmost(false);
    CaptureScreen();
    CaptureDoneNs = m_showTimer.isValid() ? m_showTimer.nsecsElapsed() : -1;

    // 3. Remember which window was active, ours or another application's, to give it back
    // afterwards.
    if (m.mnuTimedFight->isChecked() || Linked()) {
        if (QWidget* active = QApplication::activeWindow(); active && active != this) {
            SavedWindowClass = QString::fromLatin1(active->metaObject()->className()).left(255);
            SavedWindowTitle = active->windowTitle();
        } else if (!active) {
            platform::GetForegroundWindow(SavedWindowClass, SavedWindowTitle);
        }
    }

    // 4. and 5. The attack speed of this fight.
    if (Difficulty == 4)
        AttackInterval = int16_t(700 * QRandomGenerator::global()->generateDouble() + 100);
    m.tmrAnimAttack->setInterval(AttackInterval);

    // 6. Six rounds.
    gWeapon->Reload();
    gWeapon->SetScale(m_dpr);

    // 7. Above everything.
    SetTopmost(true);

    // 8. and 9. The pointer.
    if (m.mnuFightNow->isEnabled() && CenterPointer)
        ScreenPointer::SetPos(RoundEven(ScreenWidth / 2.0), RoundEven(ScreenHeight / 2.0));
    StartCursor = ScreenPointer::Pos();

    // 10. to 12. The enemy, over a saved patch of the desktop.
    PlaceEnemy();
    m.SetPictureSize(enemy.SpriteWidth, enemy.SpriteHeight);
    platform::Raster::Copy(m.picDesktop, 0, 0, m_backing, EnemyX, EnemyY, enemy.SpriteWidth,
                           enemy.SpriteHeight);
    enemy.DrawAttackSprite(m_backing, m.picDesktop, EnemyX, EnemyY, 1);

    // 13. The pointer picture for the whole fight.
    ChoosePointer();

    // 14. What is on screen starts as the snapshot; from here on drawing goes straight to it.
    // The two images share their pixels until the first paint is done (see paintEvent), so
    // the 8 MB copy does not delay the fight's first appearance.
    m_backing.setDevicePixelRatio(m_dpr);
    m_screen = m_backing;
    AutoRedraw = false;
    update();

    // 15. and 16.
    enemy.RealizeDestPalette(m_screen);
    gSound->SetCooperativeLevel(0);
    gSound->Play(SoundEffects::EnemyAppears);

    // 17. A single-player fight waits for the player's first move.
    if (!Linked())
        WaitingForFirstMove = true;

    platform::Trace("enemy", QStringLiteral("%1 %2 %3 %4").arg(EnemyX).arg(EnemyY)
                                 .arg(enemy.SpriteWidth).arg(enemy.SpriteHeight));
    platform::Trace("fight", QStringLiteral("ready"));
}

void frmDesktop::ChoosePointer()
{
    frmMain& m = frmMain::instance();
    int index = Pointer;
    if (Pointer == 6) {
        if (gWeapon->SkinnedPointer) {
            const QString path = SkinFolder + Strings::PointerFile;
            const auto reader = modGremlok::OpenPicture(path);
            const QImage pic = reader->read();
            QPoint hot;
            if (!pic.isNull()) {
                if (!curHotSpot(path, hot))
                    hot = QPoint(pic.width() / 2, pic.height() / 2);
                setScaledCursor(pic, hot);
                return;
            }
            // An unreadable skin pointer leaves the pointer as it was for this step.
            qCWarning(lcFight) << "The skin's pointer" << path << "cannot be read:" << reader->errorString();
            return;
        }
        index = 1;
    }
    if (index < 1 || index > 6)
        index = 1;
    const ImageList::Item& item = m.CursorList.ListImage(index);
    if (item.Picture.isNull())
        return;
    if (m_dpr == 1.0)
        setCursor(QCursor(item.Picture, item.HotSpot.x(), item.HotSpot.y()));
    else
        setScaledCursor(item.Picture.toImage(), item.HotSpot);
}

void frmDesktop::setScaledCursor(const QImage& picture, const QPoint& hotSpot)
{
    // The fight pointer at the screen's scale factor, like the enemy.
    const QImage scaled = ScaledPicture::ScaleArgb(picture, m_dpr);
    const QPoint hot(int(std::lround(hotSpot.x() * m_dpr)), int(std::lround(hotSpot.y() * m_dpr)));
    setCursor(platform::ScaledCursor(scaled, hot, m_dpr));
}

void frmDesktop::Flush(const QRect& r)
{
    if (AutoRedraw || !isVisible() || r.isEmpty())
        return;
    // Device pixels to the window's own (logical) pixels, rounded outwards.
    const QRect logical = QRectF(r.x() / m_dpr, r.y() / m_dpr, r.width() / m_dpr, r.height() / m_dpr)
                              .toAlignedRect();
    repaint(logical);
}

void frmDesktop::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QImage& shown = AutoRedraw ? m_backing : m_screen;
    if (shown.isNull()) {
        p.fillRect(event->rect(), Qt::black);
        return;
    }
    const QRect r = event->rect();
    const QRectF source(r.x() * m_dpr, r.y() * m_dpr, r.width() * m_dpr, r.height() * m_dpr);
    p.drawImage(QRectF(r), shown, source);
    if (FirstPaintNs < 0 && m_showTimer.isValid()) {
        FirstPaintNs = m_showTimer.nsecsElapsed();
        // Separate what is on screen from the snapshot now, before the first shot or tick
        // would have to pay for it.
        QTimer::singleShot(0, this, [this] {
            if (!AutoRedraw)
                m_screen.detach();
        });
    }
}

QPoint frmDesktop::ToDevice(const QPointF& logical) const
{
    // Qt reports pointer positions in its scaled pixels, on a screen scaled by 2 only every
    // other device pixel: there the pointer's own device pixel is read where it can be.
    QPoint exact;
    if (m_dpr != 1.0 && ScreenPointer::DevicePos(exact))
        return exact;
    return QPoint(RoundEven(logical.x() * m_dpr), RoundEven(logical.y() * m_dpr));
}

void frmDesktop::mouseMoveEvent(QMouseEvent* event)
{
    if (!WaitingForFirstMove)
        return;
    const QPoint p = ToDevice(event->position());
    Form_MouseMove(p.x(), p.y(), event->timestamp());
}

void frmDesktop::mousePressEvent(QMouseEvent* event)
{
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: break;
    }
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPoint p = ToDevice(event->position());
    Form_MouseDown(button, shift, p.x(), p.y(), event->timestamp());
}

void frmDesktop::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Form_KeyDown(27);
}

void frmDesktop::Form_KeyDown(int KeyCode)
{
    if (KeyCode == 27)
        Form_MouseDown(2, 0, 0, 0);
}

void frmDesktop::SetTopmost(bool on)
{
    m_topmost = on;
    if (!on && isVisible()) {
        releaseKeyboard();
        // Window managers keep a full-screen window above the others whatever its stays-on-top
        // state (fluxbox puts it over the panel): the same place and size as a plain window.
        // First, or leaving full screen would put back the layer it had before.
        if (isFullScreen()) {
            m_place = geometry();
            m_placeRequests = 3;
            setWindowState(windowState() & ~Qt::WindowFullScreen);
            setGeometry(m_place);
        }
    }
    // The stays-on-top state itself, not only the keyboard: the name prompt and Best Times
    // must be able to come above the frozen desktop. Changed on the native window in place;
    // setting the widget's flags would unmap and map it again.
    overrideWindowFlags(windowFlags().setFlag(Qt::WindowStaysOnTopHint, on));
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, on);
    if (on && isVisible()) {
        raise();
        activateWindow();
        // Escape must reach the fight even when the window manager gives focus elsewhere.
        grabKeyboard();
    }
}

void frmDesktop::Form_LostFocus()
{
    if (!m_topmost || m_unloading)
        return;
    // Another window took the focus: back on top at once. Our own dialogs and popups that
    // belong to the fight (the help hint) may stay above it.
    if (QWidget* active = QApplication::activeWindow(); active && active != this && active->isModal())
        return;
    raise();
    activateWindow();
}

void frmDesktop::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        QTimer::singleShot(0, this, &frmDesktop::Form_LostFocus);
}

void frmDesktop::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason && isVisible())
        QTimer::singleShot(0, this, &frmDesktop::Form_LostFocus);
}

void frmDesktop::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_topmost) {
        // The grab only takes once the window is mapped; try again then.
        QTimer::singleShot(0, this, [this] {
            if (m_topmost && isVisible()) {
                activateWindow();
                grabKeyboard();
            }
        });
    }
}

void frmDesktop::KeepPlace()
{
    // Leaving full screen, the window manager puts back the place it chose when the window
    // was mapped (fluxbox moves it clear of its panel): the snapshot must not shift.
    if (m_placeRequests > 0 && !isFullScreen() && geometry() != m_place) {
        --m_placeRequests;
        setGeometry(m_place);
    }
}

void frmDesktop::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    KeepPlace();
}

void frmDesktop::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    KeepPlace();
}

void frmDesktop::closeEvent(QCloseEvent* event)
{
    // Closing from outside (the window manager) ends the fight properly, unless it may not end
    // now (the death animation).
    event->ignore();
    if (!m_unloading)
        Form_MouseDown(2, 0, 0, 0);
}
