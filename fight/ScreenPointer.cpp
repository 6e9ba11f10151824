#include "fight/ScreenPointer.h"

#include "platform/WaylandSession.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace ScreenPointer {

namespace {
QScreen* primary()
{
    return QGuiApplication::primaryScreen();
}
} // namespace

double Ratio()
{
    QScreen* s = primary();
    return s ? s->devicePixelRatio() : 1.0;
}

QPoint Pos()
{
    QScreen* s = primary();
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
    QScreen* s = primary();
    const double r = Ratio();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    const QPoint global = origin + QPoint(int(std::lround(x / r)), int(std::lround(y / r)));
    if (s)
        QCursor::setPos(s, global);
    else
        QCursor::setPos(global);
    return true;
}

} // namespace ScreenPointer
