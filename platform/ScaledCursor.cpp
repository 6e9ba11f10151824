#include "platform/ScaledCursor.h"

#include <QGuiApplication>
#include <QPixmap>
#include <cmath>

namespace platform {

QCursor ScaledCursor(const QImage& devicePicture, const QPoint& hotSpot, double scale)
{
    QPixmap picture = QPixmap::fromImage(devicePicture);
    if (scale == 1.0 || QGuiApplication::platformName() == QLatin1String("xcb"))
        return QCursor(picture, hotSpot.x(), hotSpot.y());
    picture.setDevicePixelRatio(scale);
    return QCursor(picture, int(std::lround(hotSpot.x() / scale)), int(std::lround(hotSpot.y() / scale)));
}

} // namespace platform
