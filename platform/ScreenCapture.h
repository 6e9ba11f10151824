#pragma once
#include <QImage>
#include <QRect>
#include <QString>

// The snapshot of the desktop a fight freezes. On X11 it is grabbed through shared memory
// (MIT-SHM) into one buffer that lives for the whole program, so a fight costs one copy made by
// the X server and no allocation. Where the server has no shared memory with us (a remote
// display, another platform), or the buffer is still held by the previous fight's image, the
// screen is grabbed the ordinary way.
namespace platform::ScreenCapture {

// The rectangle `area` of the desktop in device pixels (X11: of the root window; one screen's is
// platform::DeviceGeometry), as QImage::Format_RGB32 with a device pixel ratio of 1. Parts
// outside the screen are black. The returned image may wrap the shared buffer: it is written in
// place; the buffer is reused once every copy of the image is gone.
QImage Grab(const QRect& area);

// Gets the shared buffer ready for a grab of width x height device pixels (made, attached and
// its pages brought in) on a worker thread, where a fight is announced ahead; the next Grab
// waits for it. Nothing happens where the shared grab is not used.
void Prepare(int width, int height);

// Gives the shared buffer back to the system when no image uses it (an idle program should not
// hold a screenful of memory); the next Grab or Prepare makes it again. True if one was freed.
bool Release();

// How the last Grab was made: "shm", "copy" (the ordinary grab) or "" before the first one.
QString LastMethod();

} // namespace platform::ScreenCapture
