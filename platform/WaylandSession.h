#pragma once
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace platform {

// True when the desktop is a Wayland session, whether this program talks to it natively or
// through XWayland: whole-screen grabs do not work there (null natively, black under XWayland).
// False off screen.
bool IsWaylandSession();

// Chooses the window system before the application object exists: native Wayland on a Wayland
// session (X11 through XWayland when the Wayland plug-in is missing), X11 otherwise. A
// QT_QPA_PLATFORM the user set is left alone.
void ChooseWindowSystem();

// Whether the program may move the pointer itself: Wayland lets no client warp it.
bool CanMovePointer();

// True when every pixel of the image is black (or the image is null): what a whole-screen grab
// under XWayland returns instead of the desktop.
bool IsAllBlack(const QImage& image);

// The part of a picture of the whole desktop (every output, as the screenshot portal gives it)
// that shows one screen: the screen's place in the desktop's bounding box, scaled to the
// picture's pixels. Null when the screen lies outside the picture.
QRect ScreenPartOfDesktop(const QSize& picture, const QRect& desktop, const QRect& screen);

// What a fight shows when the desktop could not be captured: a quiet grey gradient, never black.
QImage NeutralBackground(const QSize& size);

} // namespace platform
