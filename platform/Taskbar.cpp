#include "platform/Taskbar.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

uint8_t GetTaskbarEdge(const PanelRect& r)
{
    if (r.top == r.left) {
        if (r.bottom > r.right)
            return EdgeLeft;
        if (r.bottom < r.right)
            return EdgeTop;
        return EdgeRight;
    }
    return r.top > r.left ? EdgeBottom : EdgeRight;
}

Taskbar TaskbarFrom(const QRect& screen, const QRect& work, const QRect& icon)
{
    Taskbar t;
    const PanelRect s = PanelRect::From(screen);
    const PanelRect w = PanelRect::From(work);
    // The work area leaves the panel's strip out; the widest strip left out is the panel.
    if (work.isValid() && screen.contains(work) && work != screen) {
        const int gaps[4] = {w.left - s.left, w.top - s.top, s.right - w.right, s.bottom - w.bottom};
        int best = 0;
        for (int i = 1; i < 4; ++i)
            if (gaps[i] > gaps[best])
                best = i;
        if (gaps[best] > 0) {
            t.edge = uint8_t(best);
            switch (best) {
            case EdgeLeft: t.rect = {s.left, s.top, w.left, s.bottom}; break;
            case EdgeTop: t.rect = {s.left, s.top, s.right, w.top}; break;
            case EdgeRight: t.rect = {w.right, s.top, s.right, s.bottom}; break;
            default: t.rect = {s.left, w.bottom, s.right, s.bottom}; break;
            }
            return t;
        }
    }
    // A panel that reserves no space: the screen edge nearest the tray icon, the strip
    // reaching as far in as the icon does.
    if (icon.isValid() && screen.intersects(icon)) {
        const PanelRect i = PanelRect::From(icon);
        const int dist[4] = {i.left - s.left, i.top - s.top, s.right - i.right, s.bottom - i.bottom};
        int best = 0;
        for (int k = 1; k < 4; ++k)
            if (dist[k] < dist[best])
                best = k;
        t.edge = uint8_t(best);
        switch (best) {
        case EdgeLeft: t.rect = {s.left, s.top, i.right, s.bottom}; break;
        case EdgeTop: t.rect = {s.left, s.top, s.right, i.bottom}; break;
        case EdgeRight: t.rect = {i.left, s.top, s.right, s.bottom}; break;
        default: t.rect = {s.left, i.top, s.right, s.bottom}; break;
        }
        return t;
    }
    // Nothing known: bottom right, the usual place.
    t.edge = EdgeBottom;
    t.rect = {s.left, s.bottom, s.right, s.bottom};
    return t;
}

Taskbar FindTaskbar(const QRect& trayIcon)
{
    QScreen* screen = trayIcon.isValid() ? QGuiApplication::screenAt(trayIcon.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return TaskbarFrom(screen->geometry(), screen->availableGeometry(), trayIcon);
}

} // namespace platform
