#pragma once
#include <QPoint>

namespace platform {

// Where the pointer is on the whole desktop in device pixels, exactly, where the window system
// says so (X11: on the root window). Qt rounds pointer positions to its scaled (logical) pixels,
// which on a screen scaled by 2 names only every other device pixel. False where the position
// cannot be read this way; the caller then goes by Qt's.
bool PointerDevicePosition(QPoint& position);

} // namespace platform
