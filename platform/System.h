#pragma once
#include <QRect>
#include <QString>

class QScreen;

namespace platform {

// A per-user folder no other user can write to: $XDG_RUNTIME_DIR when it is ours and private,
// else a 0700 folder of our own under the temporary path. Ends without a separator.
QString PrivateRuntimeFolder();

// The login name of the user running the program (may be longer than the program keeps).
QString UserName();

// "Notification area shows balloons and multi-line tooltips" and "alpha blending available".
void VersionFlags(bool& isWin2000OrLater, bool& isWin98OrLater);

struct ScreenMetrics {
    int Width = 0;
    int Height = 0;
    bool HighColor = true;
};
// Size of a screen (the primary one when null) in device pixels.
ScreenMetrics ReadScreen(const QScreen* screen = nullptr);

// Where a screen lies on the whole desktop in device pixels (X11: its rectangle on the root
// window). Qt keeps a screen's top-left corner as it is and scales only its size.
QRect DeviceGeometry(const QScreen* screen);

// Sends what the program has asked of the window system so far (a new tray icon) at once,
// instead of when the event loop next waits.
void FlushWindowSystem();

// Opens an address (web page, mailto:) with the desktop's handler.
bool OpenUrl(const QString& url);

} // namespace platform
