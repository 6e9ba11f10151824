#include "platform/WaylandSession.h"

#include "platform/WaylandDecorations.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

namespace platform {

bool IsWaylandSession()
{
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
    // Off screen (tests, tools) there is no desktop to capture whatever session runs around it.
    if (platform != QLatin1String("xcb"))
        return false;
    return qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void ChooseWindowSystem()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("wayland")))
            LeaveDecorationsToCompositor();
        return;
    }
    const bool wayland =
        qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0
        || (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("DISPLAY"));
    const bool x11 = qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("x11"), Qt::CaseInsensitive) == 0;
    // A Wayland session without WAYLAND_DISPLAY (a terminal reached another way) has nothing to
    // connect to natively; X11 as before.
    if (wayland && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "wayland;xcb");
        LeaveDecorationsToCompositor();
    } else if (x11 && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool CanMovePointer()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool IsAllBlack(const QImage& image)
{
    if (image.isNull())
        return true;
    const QImage rgb = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if ((line[x] & 0x00ffffffu) != 0)
                return false;
    }
    return true;
}

QRect ScreenPartOfDesktop(const QSize& picture, const QRect& desktop, const QRect& screen)
{
    if (picture.isEmpty() || desktop.isEmpty() || screen.isEmpty())
        return QRect();
    const double sx = double(picture.width()) / desktop.width();
    const double sy = double(picture.height()) / desktop.height();
    const QRect local = screen.translated(-desktop.topLeft());
    const QRect part(qRound(local.x() * sx), qRound(local.y() * sy), qRound(local.width() * sx),
                     qRound(local.height() * sy));
    return part.intersected(QRect(QPoint(0, 0), picture));
}

QImage NeutralBackground(const QSize& size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, image.height());
    g.setColorAt(0.0, QColor(0x8c, 0x90, 0x96));
    g.setColorAt(1.0, QColor(0x5a, 0x5e, 0x64));
    p.fillRect(image.rect(), g);
    p.end();
    return image;
}

} // namespace platform
