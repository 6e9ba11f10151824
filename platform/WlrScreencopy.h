#pragma once
#include <QImage>
#include <QString>
#include <cstdint>

class QScreen;

// The desktop through the compositor's own screencopy protocol (zwlr_screencopy_manager_v1, on
// sway and the other wlroots desktops): one frame of one output copied into shared memory, about
// a frame's time, where the desktop portal takes a screenshot file round trip.
//
// Each capture opens its own connection to the compositor (WAYLAND_DISPLAY) and closes it when
// done: it works the same whether the program talks to the compositor natively or runs under
// XWayland, it does not share the window system's event thread, and between fights nothing is
// held and nothing wakes the program.
namespace platform::WlrScreencopy {

// The whole output that shows `screen` (matched by name, else by position and size; a lone
// output is taken as it is), in device pixels, as opaque QImage::Format_RGB32. Waits at most
// timeoutMs, the program's events (user input excepted) running meanwhile. On failure returns a
// null image and says why in *reason; *offered tells whether the compositor has the protocol at
// all (without it, the caller falls through silently).
QImage Capture(QScreen* screen, int timeoutMs, QString* reason, bool* offered = nullptr);

// One frame as the compositor wrote it: `format` a wl_shm format code, rows `stride` bytes
// apart in `bytes` bytes of `data`, upside down when yInvert. Returns an opaque
// QImage::Format_RGB32 copy, or a null image when the format is not one read here or the
// layout does not fit in the data.
QImage FrameToImage(const uchar* data, qsizetype bytes, uint32_t format, int width, int height, int stride,
                    bool yInvert);

// The frame of an output with the given wl_output transform (0 to 7) as the desktop shows it.
QImage Upright(const QImage& frame, int transform);

} // namespace platform::WlrScreencopy
