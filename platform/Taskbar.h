#pragma once
// Where the panel (taskbar) holding the notification area is, so that notifications and the
// send-message dialog can sit beside it.
#include <QRect>
#include <cstdint>

namespace platform {

// A rectangle as the window system reports it: right and bottom are one past the last pixel.
struct PanelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    static PanelRect From(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
};

enum PanelEdge : uint8_t { EdgeLeft = 0, EdgeTop = 1, EdgeRight = 2, EdgeBottom = 3, EdgeUnknown = 255 };

// The panel's edge worked out from its rectangle alone (a panel spanning its screen edge).
uint8_t GetTaskbarEdge(const PanelRect& r);

struct Taskbar {
    PanelRect rect;       // device-independent pixels
    uint8_t edge = EdgeUnknown;
};

// The panel of the screen that shows `trayIcon` (the primary screen when the icon's place is
// unknown): the strip the work area leaves free along one edge; failing that, the strip along
// the screen edge nearest the tray icon; failing that, a panel along the bottom.
Taskbar FindTaskbar(const QRect& trayIcon);

// The same from plain geometry, for the tests: the screen, its work area and the icon.
Taskbar TaskbarFrom(const QRect& screen, const QRect& workArea, const QRect& trayIcon);

} // namespace platform
