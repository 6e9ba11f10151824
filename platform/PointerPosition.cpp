#include "platform/PointerPosition.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

namespace {
// A connection of our own: a reply on Qt's would wait for Qt's event reader thread.
struct Connection {
    bool tried = false;
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
};
Connection g;
} // namespace

bool PointerDevicePosition(QPoint& position)
{
    // Only where the windows are X11 windows: the offscreen platform may hold an X display of
    // its own, whose pointer has nothing to do with ours.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    if (!g.tried) {
        g.tried = true;
        Display* dpy = x11->display();
        int screenNumber = 0;
        xcb_connection_t* conn = xcb_connect(dpy ? XDisplayString(dpy) : nullptr, &screenNumber);
        if (xcb_connection_has_error(conn)) {
            xcb_disconnect(conn);
            return false;
        }
        auto it = xcb_setup_roots_iterator(xcb_get_setup(conn));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem) {
            xcb_disconnect(conn);
            return false;
        }
        g.conn = conn;
        g.root = it.data->root;
    }
    if (!g.conn)
        return false;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(g.conn, xcb_query_pointer(g.conn, g.root), nullptr);
    if (!reply)
        return false;
    const bool onThisScreen = reply->same_screen;
    position = QPoint(reply->root_x, reply->root_y);
    std::free(reply);
    return onThisScreen;
}

} // namespace platform
