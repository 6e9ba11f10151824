#pragma once
#include <QCursor>
#include <QImage>
#include <QPoint>

namespace platform {

// A pointer shown `devicePicture.size()` device pixels large with its hot spot on device pixel
// `hotSpot` of the picture, on a screen of `scale` device pixels per logical pixel. X11 (Qt's
// xcb) takes a pointer picture pixel for pixel whatever its ratio; other window systems take a
// picture of that ratio and the hot spot in logical pixels.
QCursor ScaledCursor(const QImage& devicePicture, const QPoint& hotSpot, double scale);

} // namespace platform
