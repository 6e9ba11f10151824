#pragma once
#include <QImage>
#include <QSize>
#include <QString>

class QScreen;

namespace platform {

// The whole desktop through the desktop portal's Screenshot interface on the session bus,
// without asking the user to pick anything (the desktop may still ask once for permission;
// that dialog is its own). Waits at most timeoutMs for the answer, events still running
// meanwhile (user input excepted). Returns a null image and says why in *reason when the
// portal is missing, refuses, or does not answer in time. The file the portal wrote is deleted.
QImage PortalCapture(int timeoutMs, QString* reason);

// The desktop on a Wayland session: the compositor's screencopy where it has it (the whole
// output showing `screen`), else the portal, else the grab the window system gives unless it is
// all black. When none gives the desktop, says why in *reason and returns a neutral background
// of the given size instead. *method tells which way it went: "screencopy", "portal", "grab" or
// "neutral". GREMLOK_CAPTURE=portal in the environment skips the screencopy.
QImage WaylandCapture(QScreen* screen, const QSize& size, QString* reason, QString* method = nullptr);

} // namespace platform
