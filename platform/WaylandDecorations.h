#pragma once
#include <QStringList>

namespace platform {

// Qt's Wayland plug-in asks, as the first window of the program is shown, whether it could draw
// window frames itself, and to answer it loads the OpenGL stack (EGL, the graphics driver, on
// many machines LLVM): some 50 MB resident for a program that never draws with OpenGL. Where
// the compositor draws the frames itself (it offers xdg-decoration, as sway and KDE Plasma do),
// Qt would not draw them anyway, so the question is answered beforehand
// (QT_WAYLAND_DISABLE_WINDOWDECORATION). Elsewhere (GNOME) Qt's own frames are kept.
// Called before the application object exists; a choice the user made in the environment is
// left alone. True when the frames were left to the compositor.
bool LeaveDecorationsToCompositor();

// The interfaces the compositor at WAYLAND_DISPLAY offers, asked over a connection of its own
// (one round trip); empty when there is no compositor to ask.
QStringList WaylandGlobals();

} // namespace platform
