#pragma once
// Where a window goes beside the panel: off the panel by `across` pixels, and `along` pixels
// in from the panel's far end (the right end of a horizontal panel, the bottom of a vertical
// one). Returns false when the panel's edge is unknown (the window is then left where it is).
#include "platform/Taskbar.h"

#include <QPoint>
#include <QSize>

inline bool PanelPlacement(const platform::Taskbar& t, QSize size, int across, int along, QPoint& at)
{
    const platform::PanelRect& r = t.rect;
    const int w = size.width(), h = size.height();
    switch (t.edge) {
    case platform::EdgeLeft: at = QPoint(r.right + across, r.bottom - h - along); return true;
    case platform::EdgeTop: at = QPoint(r.right - w - along, r.bottom + across); return true;
    case platform::EdgeRight: at = QPoint(r.left - w - across, r.bottom - h - along); return true;
    case platform::EdgeBottom: at = QPoint(r.right - w - along, r.top - h - across); return true;
    default: return false;
    }
}
