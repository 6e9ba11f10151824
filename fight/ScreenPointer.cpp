#include "fight/ScreenPointer.h"

#include "platform/PointerPosition.h"
#include "platform/System.h"
#include "platform/WaylandSession.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace ScreenPointer {

namespace {
QPointer<QScreen> gChosen;
} // namespace

QScreen* Screen()
{
    return gChosen ? gChosen.data() : QGuiApplication::primaryScreen();
}

QScreen* ChooseScreen()
{
    // Where the window system cannot say where the pointer is (Wayland gives no global
    // position), the screen it reports for it, which may be the primary one.
    QScreen* under = QGuiApplication::screenAt(QCursor::pos());
    gChosen = under ? under : QGuiApplication::primaryScreen();
    return Screen();
}

double Ratio()
{
    QScreen* s = Screen();
    return s ? s->devicePixelRatio() : 1.0;
}

bool DevicePos(QPoint& position)
{
    QScreen* s = Screen();
    QPoint desktop;
    if (!s || !platform::PointerDevicePosition(desktop))
        return false;
    position = desktop - platform::DeviceGeometry(s).topLeft();
    return true;
}

// Qt's global coordinates keep each screen's top-left corner and scale the rest of the screen
// by its ratio, so a device pixel of the screen is (global - corner) x ratio; on a scaled screen
// that names only every other device pixel, so the window system is asked where it can be.
QPoint Pos()
{
    QPoint exact;
    if (Ratio() != 1.0 && DevicePos(exact))
        return exact;
    QScreen* s = Screen();
    const QPoint global = s ? QCursor::pos(s) : QCursor::pos();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    const double r = Ratio();
    const QPoint local = global - origin;
    return QPoint(int(std::lround(local.x() * r)), int(std::lround(local.y() * r)));
}

bool SetPos(int x, int y)
{
    if (!platform::CanMovePointer())
        return false;
    QScreen* s = Screen();
    const double r = Ratio();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    QPoint local(int(std::lround(x / r)), int(std::lround(y / r)));
    // Never onto a neighbouring screen (a kick near the edge): the fight covers only this one.
    if (s) {
        local.setX(std::clamp(local.x(), 0, std::max(0, s->geometry().width() - 1)));
        local.setY(std::clamp(local.y(), 0, std::max(0, s->geometry().height() - 1)));
    }
    const QPoint global = origin + local;
    if (s)
        QCursor::setPos(s, global);
    else
        QCursor::setPos(global);
    return true;
}

} // namespace ScreenPointer
