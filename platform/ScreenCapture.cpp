#include "platform/ScreenCapture.h"

#include "core/Logging.h"
#include "platform/System.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <X11/Xlib.h>

#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdlib>
#include <future>

namespace platform::ScreenCapture {

namespace {

// The shared buffer and what it was set up for. It is kept from fight to fight while fights
// come, and given back (Release) once the program has been idle a while. The grab goes over
// a connection of its own: waiting for the reply on Qt's connection would also wait for Qt's
// event reader thread to hand it over, which costs milliseconds on a busy machine.
struct Shared {
    bool tried = false;
    bool usable = false;                // the server shares memory with us and the pixels fit
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
    QRect rootRect;
    xcb_shm_seg_t seg = 0;
    uchar* data = nullptr;
    size_t size = 0;
    bool inUse = false;                 // an image still wraps the buffer
    std::future<void> preparing;        // Prepare's worker; everything else waits for it
};
Shared g;
QString gLast;

void bufferReleased(void*) { g.inUse = false; }

void waitPrepared()
{
    if (g.preparing.valid())
        g.preparing.get();
}

// Writes one byte of every page, so that the grab finds them allocated and mapped.
void touchPages(uchar* data, size_t size)
{
    const size_t page = size_t(sysconf(_SC_PAGESIZE) > 0 ? sysconf(_SC_PAGESIZE) : 4096);
    for (size_t at = 0; at < size; at += page)
        static_cast<volatile uchar*>(data)[at] = 0;
}

// True when the root window's pixels are 32-bit little-endian 0x..RRGGBB, the layout of
// QImage::Format_RGB32, so the server's image needs no conversion.
bool rgb32Layout(xcb_connection_t* conn, const xcb_screen_t* screen)
{
    const xcb_setup_t* setup = xcb_get_setup(conn);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool bpp32 = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == screen->root_depth)
            bpp32 = f.data->bits_per_pixel == 32;
    if (!bpp32 || (screen->root_depth != 24 && screen->root_depth != 32))
        return false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual)
                return v.data->red_mask == 0xff0000u && v.data->green_mask == 0xff00u
                    && v.data->blue_mask == 0xffu;
    return false;
}

void dropSegment()
{
    if (g.data) {
        if (g.seg)
            xcb_shm_detach(g.conn, g.seg);
        shmdt(g.data);
    }
    g.data = nullptr;
    g.size = 0;
    g.seg = 0;
}

// Connects to the display Qt shows its windows on, finds the root window and checks that the
// server offers shared memory; once.
bool setUp(QNativeInterface::QX11Application* x11)
{
    if (g.tried)
        return g.usable;
    g.tried = true;
    Display* dpy = x11->display();
    int screenNumber = 0;
    g.conn = xcb_connect(dpy ? XDisplayString(dpy) : nullptr, &screenNumber);
    if (xcb_connection_has_error(g.conn)) {
        qCWarning(lcPlatform) << "cannot open a connection for the screen capture; capturing the ordinary way";
        return false;
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(g.conn, &xcb_shm_id);
    if (!ext || !ext->present) {
        qCDebug(lcPlatform) << "no MIT-SHM on this display; capturing the ordinary way";
        return false;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(g.conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return false;
    if (!rgb32Layout(g.conn, it.data)) {
        qCDebug(lcPlatform) << "root window pixels are not 32-bit RGB; capturing the ordinary way";
        return false;
    }
    g.root = it.data->root;
    g.rootRect = QRect(0, 0, it.data->width_in_pixels, it.data->height_in_pixels);
    g.usable = true;
    return true;
}

// A segment of at least `size` bytes attached on the server; false (and shared memory off for
// this connection) when the server cannot attach it, as on a display on another machine.
bool ensureSegment(size_t size)
{
    if (g.data && g.size >= size)
        return true;
    dropSegment();
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        qCWarning(lcPlatform) << "no shared memory segment for the screen capture";
        g.usable = false;
        return false;
    }
    void* at = shmat(id, nullptr, 0);
    if (at == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        g.usable = false;
        return false;
    }
    const xcb_shm_seg_t seg = xcb_generate_id(g.conn);
    xcb_generic_error_t* err = xcb_request_check(g.conn, xcb_shm_attach_checked(g.conn, seg, id, 0));
    // Marked for removal now: it goes away with the last process that has it attached.
    shmctl(id, IPC_RMID, nullptr);
    if (err) {
        std::free(err);
        shmdt(at);
        qCDebug(lcPlatform) << "the X server cannot attach our shared memory; capturing the ordinary way";
        g.usable = false;
        return false;
    }
    g.data = static_cast<uchar*>(at);
    g.size = size;
    g.seg = seg;
    return true;
}

// Only where Qt itself runs on X11: an X server of a Wayland session shows no desktop.
QNativeInterface::QX11Application* x11App()
{
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

QImage grabShared(const QRect& area)
{
    auto* x11 = x11App();
    waitPrepared();
    if (!x11 || g.inUse || !setUp(x11))
        return QImage();
    xcb_connection_t* conn = g.conn;
    if (!g.rootRect.contains(area)) {
        // The screen may have grown since (a monitor added): ask the server once more.
        xcb_get_geometry_reply_t* geo = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, g.root), nullptr);
        if (geo)
            g.rootRect = QRect(0, 0, geo->width, geo->height);
        std::free(geo);
        if (!g.rootRect.contains(area))
            return QImage();
    }
    const size_t bytes = size_t(area.width()) * size_t(area.height()) * 4;
    if (!ensureSegment(bytes))
        return QImage();
    xcb_generic_error_t* err = nullptr;
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        conn,
        xcb_shm_get_image(conn, g.root, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, g.seg, 0),
        &err);
    std::free(err);
    if (!reply)
        return QImage();
    std::free(reply);
    // The server leaves the unused top byte as it likes (mostly 0). Qt reads RGB32 as opaque
    // whatever that byte holds (pixel(), conversions, painting), as do our raster operations,
    // so no pass over the 8 MB is spent on setting it.
    g.inUse = true;
    return QImage(g.data, area.width(), area.height(), area.width() * 4, QImage::Format_RGB32,
                  bufferReleased, nullptr);
}

QImage grabCopy(QScreen* screen, const QRect& area)
{
    // The screen's own grab covers that screen; the area is cut out of it.
    QImage shot;
    QRect screenArea = area;
    if (screen) {
        shot = screen->grabWindow(0).toImage();
        screenArea = DeviceGeometry(screen);
    }
    if (shot.format() != QImage::Format_RGB32)
        shot.convertTo(QImage::Format_RGB32);
    const QPoint offset = screenArea.topLeft() - area.topLeft();
    if (shot.size() != area.size() || !offset.isNull()) {
        QImage sized(area.size(), QImage::Format_RGB32);
        sized.fill(Qt::black);
        shot.setDevicePixelRatio(1.0);
        QPainter p(&sized);
        p.drawImage(offset, shot);
        p.end();
        shot = sized;
    }
    shot.setDevicePixelRatio(1.0);
    return shot;
}

} // namespace

QImage Grab(const QRect& area)
{
    const QRect wanted(area.topLeft(), area.size().expandedTo(QSize(1, 1)));
    QImage shot = grabShared(wanted);
    if (!shot.isNull()) {
        gLast = QStringLiteral("shm");
        return shot;
    }
    gLast = QStringLiteral("copy");
    QScreen* screen = nullptr;
    for (QScreen* s : QGuiApplication::screens())
        if (DeviceGeometry(s).contains(wanted.topLeft()))
            screen = s;
    return grabCopy(screen ? screen : QGuiApplication::primaryScreen(), wanted);
}

void Prepare(int width, int height)
{
    auto* x11 = x11App();
    waitPrepared();
    if (!x11 || g.inUse || !setUp(x11))
        return;
    const size_t bytes = size_t(std::max(width, 1)) * size_t(std::max(height, 1)) * 4;
    if (g.data && g.size >= bytes)
        return;
    const QRect area = QRect(0, 0, std::max(width, 1), std::max(height, 1)).intersected(g.rootRect);
    // Making the segment and faulting 8 MB in costs milliseconds: off the user-interface thread.
    // One grab into it brings the pages into the X server's mapping too, which otherwise the
    // fight's own grab would pay for.
    g.preparing = std::async(std::launch::async, [bytes, area] {
        if (!ensureSegment(bytes))
            return;
        touchPages(g.data, g.size);
        if (area.isEmpty())
            return;
        xcb_generic_error_t* err = nullptr;
        std::free(xcb_shm_get_image_reply(
            g.conn,
            xcb_shm_get_image(g.conn, g.root, 0, 0, uint16_t(area.width()), uint16_t(area.height()), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, g.seg, 0),
            &err));
        std::free(err);
    });
}

bool Release()
{
    waitPrepared();
    if (!g.data || g.inUse)
        return false;
    dropSegment();
    // The detach must reach the server now: it holds the memory as long as it has it attached.
    xcb_flush(g.conn);
    return true;
}

QString LastMethod()
{
    return gLast;
}

} // namespace platform::ScreenCapture
