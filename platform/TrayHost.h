#pragma once

namespace platform {

// Whether the desktop has a notification area that can show the icon right now: an X11
// system tray (an owner of the _NET_SYSTEM_TRAY_S<n> selection) or a StatusNotifierItem host
// (org.kde.StatusNotifierWatcher on the session bus, with a host registered).
bool TrayHostPresent();

// False where there is no desktop at all to show a tray or a notice on (the offscreen platform
// of the tests).
bool HasDesktop();

} // namespace platform
