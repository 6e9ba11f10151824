#include "platform/ForegroundWindow.h"

#include <QGuiApplication>
#include <QVector>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

// On X11 the window manager keeps the active window in the root window's _NET_ACTIVE_WINDOW
// and activates one when asked by a message to the root. Without such a window manager (a
// bare X server) the active window is simply the one with the input focus.
namespace platform {

namespace {

struct X11 {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
};

X11 connection()
{
    X11 x;
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!app || !app->connection())
        return x;
    x.c = app->connection();
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x.c));
    if (!it.rem)
        x.c = nullptr;
    else
        x.root = it.data->root;
    return x;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

QByteArray property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    xcb_get_property_reply_t* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 4096), nullptr);
    QByteArray out;
    if (r && r->type != XCB_ATOM_NONE)
        out = QByteArray(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    return out;
}

QVector<xcb_window_t> windows(const QByteArray& data)
{
    QVector<xcb_window_t> out(int(data.size() / 4));
    // An empty vector has no storage: memcpy may not be given its null pointer, even for 0 bytes.
    if (!out.isEmpty())
        std::memcpy(out.data(), data.constData(), size_t(out.size()) * 4);
    return out;
}

QString classOf(xcb_connection_t* c, xcb_window_t w)
{
    // WM_CLASS holds the instance name, then the class name, each ending in a NUL.
    const QList<QByteArray> parts = property(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    return parts.size() >= 2 ? QString::fromLatin1(parts[1]) : QString();
}

QString titleOf(xcb_connection_t* c, xcb_window_t w)
{
    const QByteArray utf8 = property(c, w, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"));
    if (!utf8.isEmpty())
        return QString::fromUtf8(utf8);
    return QString::fromLatin1(property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING));
}

QVector<xcb_window_t> children(xcb_connection_t* c, xcb_window_t w, xcb_window_t* parent = nullptr)
{
    QVector<xcb_window_t> out;
    xcb_query_tree_reply_t* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (r) {
        const xcb_window_t* k = xcb_query_tree_children(r);
        out = QVector<xcb_window_t>(k, k + xcb_query_tree_children_length(r));
        if (parent)
            *parent = r->parent;
    }
    std::free(r);
    return out;
}

// The application's own window in the branch of w: w itself or a descendant with a class (a
// window manager without the active-window property may have framed it).
xcb_window_t clientIn(xcb_connection_t* c, xcb_window_t w, int depth = 3)
{
    if (!classOf(c, w).isEmpty())
        return w;
    if (depth == 0)
        return 0;
    for (xcb_window_t k : children(c, w))
        if (xcb_window_t found = clientIn(c, k, depth - 1))
            return found;
    return 0;
}

bool managerActivates(const X11& x)
{
    const QVector<xcb_window_t> supported = windows(property(x.c, x.root, atom(x.c, "_NET_SUPPORTED"), XCB_ATOM_ATOM));
    return supported.contains(atom(x.c, "_NET_ACTIVE_WINDOW"));
}

xcb_window_t activeWindow(const X11& x)
{
    if (managerActivates(x)) {
        const QVector<xcb_window_t> active = windows(property(x.c, x.root, atom(x.c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW));
        return active.isEmpty() ? 0 : active[0];
    }
    xcb_get_input_focus_reply_t* f = xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr);
    xcb_window_t w = f ? f->focus : 0;
    std::free(f);
    if (w == XCB_NONE || w == XCB_INPUT_FOCUS_POINTER_ROOT || w == x.root)
        return 0;
    // The focus may sit in a child of the window: climb to the top level, then find its client.
    for (int guard = 0; guard < 32; ++guard) {
        xcb_window_t parent = 0;
        children(x.c, w, &parent);
        if (parent == 0 || parent == x.root)
            break;
        w = parent;
    }
    return clientIn(x.c, w);
}

} // namespace

bool GetForegroundWindow(QString& windowClass, QString& title)
{
    const X11 x = connection();
    if (!x.c)
        return false;
    const xcb_window_t w = activeWindow(x);
    if (!w)
        return false;
    windowClass = classOf(x.c, w).left(255);
    title = titleOf(x.c, w);
    return true;
}

bool SetForegroundWindow(const QString& windowClass, const QString& title)
{
    const X11 x = connection();
    if (!x.c)
        return false;
    const bool manager = managerActivates(x);
    QVector<xcb_window_t> candidates;
    if (manager)
        candidates = windows(property(x.c, x.root, atom(x.c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW));
    if (candidates.isEmpty()) {
        for (xcb_window_t top : children(x.c, x.root))
            if (xcb_window_t client = clientIn(x.c, top, 2))
                candidates << client;
    }
    for (xcb_window_t w : candidates) {
        if (classOf(x.c, w) != windowClass || titleOf(x.c, w) != title)
            continue;
        if (manager) {
            // Source 2: asked for by the user's own tool, which managers honour without
            // the focus-stealing rules they apply to applications.
            xcb_client_message_event_t ev {};
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = w;
            ev.type = atom(x.c, "_NET_ACTIVE_WINDOW");
            ev.data.data32[0] = 2;
            ev.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(x.c, 0, x.root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&ev));
        } else {
            xcb_get_window_attributes_reply_t* a
                = xcb_get_window_attributes_reply(x.c, xcb_get_window_attributes(x.c, w), nullptr);
            const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(a);
            if (!viewable)
                continue;
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(x.c, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            xcb_set_input_focus(x.c, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
        }
        xcb_flush(x.c);
        return true;
    }
    return false;
}

} // namespace platform
