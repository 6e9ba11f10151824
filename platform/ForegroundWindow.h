#pragma once
#include <QString>

namespace platform {

// The window that has the keyboard now, of whatever application: its class and its title.
// False when nothing is active or the window system does not say (no X11 display).
bool GetForegroundWindow(QString& windowClass, QString& title);

// Brings the top-level window with this class and title to the front and gives it the
// keyboard. False when no such window exists any more.
bool SetForegroundWindow(const QString& windowClass, const QString& title);

} // namespace platform
