#include "platform/WlrScreencopy.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QTransform>

#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace platform::WlrScreencopy {

namespace {

struct Output {
    wl_output* Proxy = nullptr;
    QString Name;
    QPoint Position;
    QSize Mode;
    int Scale = 1;
    int Transform = WL_OUTPUT_TRANSFORM_NORMAL;
};

// Everything one capture holds; released in reverse order of creation.
struct Session {
    wl_display* Display = nullptr;
    wl_registry* Registry = nullptr;
    wl_shm* Shm = nullptr;
    zwlr_screencopy_manager_v1* Manager = nullptr;
    std::vector<std::unique_ptr<Output>> Outputs;

    // The frame being captured.
    bool ShmOffered = false;
    uint32_t Format = 0;
    int Width = 0, Height = 0, Stride = 0;
    bool BufferDone = false, Ready = false, Failed = false;
    uint32_t Flags = 0;

    ~Session()
    {
        for (const auto& o : Outputs)
            if (o->Proxy) {
                if (wl_output_get_version(o->Proxy) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
                    wl_output_release(o->Proxy);
                else
                    wl_output_destroy(o->Proxy);
            }
        if (Manager)
            zwlr_screencopy_manager_v1_destroy(Manager);
        if (Shm)
            wl_shm_destroy(Shm);
        if (Registry)
            wl_registry_destroy(Registry);
        if (Display)
            wl_display_disconnect(Display);
    }
};

void OutputGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t transform)
{
    auto* o = static_cast<Output*>(data);
    o->Position = QPoint(x, y);
    o->Transform = transform;
}
void OutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT)
        static_cast<Output*>(data)->Mode = QSize(width, height);
}
void OutputDone(void*, wl_output*) {}
void OutputScale(void* data, wl_output*, int32_t factor) { static_cast<Output*>(data)->Scale = std::max(factor, 1); }
void OutputName(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->Name = QString::fromUtf8(name); }
void OutputDescription(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale, OutputName,
                                            OutputDescription};

void Global(void* data, wl_registry* registry, uint32_t id, const char* interface, uint32_t version)
{
    auto* s = static_cast<Session*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0 && !s->Shm) {
        s->Shm = static_cast<wl_shm*>(wl_registry_bind(registry, id, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0 && !s->Manager) {
        s->Manager = static_cast<zwlr_screencopy_manager_v1*>(
            wl_registry_bind(registry, id, &zwlr_screencopy_manager_v1_interface, std::min(version, 3u)));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto o = std::make_unique<Output>();
        // Version 4 names the output, the name the window system gives the screen.
        o->Proxy = static_cast<wl_output*>(wl_registry_bind(registry, id, &wl_output_interface, std::min(version, 4u)));
        wl_output_add_listener(o->Proxy, &kOutputListener, o.get());
        s->Outputs.push_back(std::move(o));
    }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

void SyncDone(void* data, wl_callback* callback, uint32_t)
{
    *static_cast<bool*>(data) = true;
    wl_callback_destroy(callback);
}
const wl_callback_listener kSyncListener = {SyncDone};

void FrameBuffer(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
                 uint32_t stride)
{
    auto* s = static_cast<Session*>(data);
    s->ShmOffered = true;
    s->Format = format;
    s->Width = int(width);
    s->Height = int(height);
    s->Stride = int(stride);
}
void FrameFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) { static_cast<Session*>(data)->Flags = flags; }
void FrameReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t)
{
    static_cast<Session*>(data)->Ready = true;
}
void FrameFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Session*>(data)->Failed = true; }
void FrameDamage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void FrameDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {}
void FrameBufferDone(void* data, zwlr_screencopy_frame_v1*) { static_cast<Session*>(data)->BufferDone = true; }
const zwlr_screencopy_frame_v1_listener kFrameListener = {FrameBuffer, FrameFlags, FrameReady, FrameFailed,
                                                          FrameDamage, FrameDmabuf, FrameBufferDone};

// Waits until the connection's socket has something to read, running the program's events
// meanwhile (user input held back), as the portal's wait does. False at the deadline.
bool WaitReadable(int fd, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 0) > 0)
            return true;
        if (deadline.hasExpired())
            return false;
        // Local objects only: nothing of the wait outlives it.
        QEventLoop loop;
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(std::clamp<qint64>(deadline.remainingTime(), 1, 60000)));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

// Dispatches the connection's events until done() holds. False on a connection or protocol
// error, or at the deadline.
bool Pump(wl_display* display, const QDeadlineTimer& deadline, const std::function<bool()>& done)
{
    while (!done()) {
        while (wl_display_prepare_read(display) != 0)
            if (wl_display_dispatch_pending(display) < 0)
                return false;
        if (done()) {
            wl_display_cancel_read(display);
            return true;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        if (!WaitReadable(wl_display_get_fd(display), deadline)) {
            wl_display_cancel_read(display);
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            return false;
    }
    return true;
}

// All the events the compositor has queued for the requests sent so far.
bool Sync(wl_display* display, const QDeadlineTimer& deadline)
{
    bool synced = false;
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &kSyncListener, &synced);
    if (Pump(display, deadline, [&synced] { return synced; }))
        return true;
    // The callback still refers to the flag on this stack: it must not fire later.
    if (!synced)
        wl_callback_destroy(callback);
    return false;
}

const Output* OutputOf(const Session& s, QScreen* screen)
{
    if (s.Outputs.size() == 1)
        return s.Outputs.front().get();
    if (!screen)
        return nullptr;
    for (const auto& o : s.Outputs)
        if (!o->Name.isEmpty() && o->Name == screen->name())
            return o.get();
    // Without names (older compositors): the output at the screen's place with its size.
    for (const auto& o : s.Outputs) {
        QSize logical = o->Mode / o->Scale;
        if (o->Transform % 2 == 1)
            logical.transpose();
        if (o->Position == screen->geometry().topLeft() && logical == screen->geometry().size())
            return o.get();
    }
    return nullptr;
}

// A shared-memory file of the given size, mapped; unmapped and closed when it goes.
struct ShmFile {
    int Fd = -1;
    void* Data = MAP_FAILED;
    size_t Size = 0;
    explicit ShmFile(size_t size)
        : Size(size)
    {
        Fd = memfd_create("gremlok-screencopy", MFD_CLOEXEC);
        if (Fd < 0)
            return;
        if (ftruncate(Fd, off_t(size)) == 0)
            Data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, Fd, 0);
    }
    ~ShmFile()
    {
        if (Data != MAP_FAILED)
            munmap(Data, Size);
        if (Fd >= 0)
            close(Fd);
    }
    bool ok() const { return Data != MAP_FAILED; }
};

// The Qt format with the same memory layout as a wl_shm format, and its bytes per pixel;
// Format_Invalid for formats not read here. Alpha is not wanted (the desktop is opaque), so
// the formats without it stand in for those with it.
QImage::Format LayoutOf(uint32_t format, int* depth)
{
    *depth = 4;
    switch (format) {
    case WL_SHM_FORMAT_ARGB8888:
    case WL_SHM_FORMAT_XRGB8888:
        return QImage::Format_RGB32;
    case WL_SHM_FORMAT_ABGR8888:
    case WL_SHM_FORMAT_XBGR8888:
        return QImage::Format_RGBX8888;
    case WL_SHM_FORMAT_ARGB2101010:
    case WL_SHM_FORMAT_XRGB2101010:
        return QImage::Format_RGB30;
    case WL_SHM_FORMAT_ABGR2101010:
    case WL_SHM_FORMAT_XBGR2101010:
        return QImage::Format_BGR30;
    case WL_SHM_FORMAT_RGB565:
        *depth = 2;
        return QImage::Format_RGB16;
    case WL_SHM_FORMAT_RGB888:
        *depth = 3;
        return QImage::Format_BGR888;
    case WL_SHM_FORMAT_BGR888:
        *depth = 3;
        return QImage::Format_RGB888;
    default:
        *depth = 0;
        return QImage::Format_Invalid;
    }
}

QString ConnectionError(wl_display* display)
{
    const int error = wl_display_get_error(display);
    return error ? QStringLiteral("the compositor closed the connection (%1)").arg(QString::fromLocal8Bit(strerror(error)))
                 : QString();
}

} // namespace

QImage Capture(QScreen* screen, int timeoutMs, QString* reason, bool* offered)
{
    if (offered)
        *offered = false;
    const auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return QImage();
    };
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return refuse(QStringLiteral("no Wayland display"));
    const QDeadlineTimer deadline(timeoutMs);
    // What this program's windows just did (the tray menu that started the fight hiding) sits
    // unsent in the window system's connection until the event loop turns: sent now, before
    // this connection asks for the next frame, so that the menu is not in it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Session s;
    s.Display = wl_display_connect(nullptr);
    if (!s.Display)
        return refuse(QStringLiteral("cannot connect to the compositor"));
    s.Registry = wl_display_get_registry(s.Display);
    wl_registry_add_listener(s.Registry, &kRegistryListener, &s);
    // The globals, then the outputs' descriptions that binding them brings.
    if (!Sync(s.Display, deadline) || !Sync(s.Display, deadline))
        return refuse(QStringLiteral("the compositor did not list its interfaces within %1 ms").arg(timeoutMs));
    if (!s.Manager || !s.Shm)
        return refuse(QStringLiteral("the compositor offers no screencopy"));
    if (offered)
        *offered = true;
    const Output* output = OutputOf(s, screen);
    if (!output)
        return refuse(QStringLiteral("no output of the compositor matches the screen %1").arg(screen ? screen->name() : QString()));

    zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output(s.Manager, 0, output->Proxy);
    const auto destroyFrame = std::unique_ptr<zwlr_screencopy_frame_v1, void (*)(zwlr_screencopy_frame_v1*)>(
        frame, zwlr_screencopy_frame_v1_destroy);
    zwlr_screencopy_frame_v1_add_listener(frame, &kFrameListener, &s);
    // Version 3 lists every kind of buffer, then says it is done; older ones send one shm buffer.
    const bool lists = zwlr_screencopy_manager_v1_get_version(s.Manager) >= 3;
    if (!Pump(s.Display, deadline, [&s, lists] { return s.Failed || (lists ? s.BufferDone : s.ShmOffered); }))
        return refuse(ConnectionError(s.Display).isEmpty()
                          ? QStringLiteral("the compositor did not describe the frame within %1 ms").arg(timeoutMs)
                          : ConnectionError(s.Display));
    if (s.Failed)
        return refuse(QStringLiteral("the compositor could not capture the output"));
    if (!s.ShmOffered || s.Width <= 0 || s.Height <= 0 || s.Stride <= 0)
        return refuse(QStringLiteral("the compositor offers no shared-memory frame"));
    int depth = 0;
    if (LayoutOf(s.Format, &depth) == QImage::Format_Invalid)
        return refuse(QStringLiteral("the compositor's frame format 0x%1 is not one read here").arg(s.Format, 0, 16));

    const size_t size = size_t(s.Stride) * size_t(s.Height);
    ShmFile file(size);
    if (!file.ok())
        return refuse(QStringLiteral("no shared memory for the frame: %1").arg(QString::fromLocal8Bit(strerror(errno))));
    wl_shm_pool* pool = wl_shm_create_pool(s.Shm, file.Fd, int32_t(size));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, s.Width, s.Height, s.Stride, s.Format);
    wl_shm_pool_destroy(pool);
    const auto destroyBuffer = std::unique_ptr<wl_buffer, void (*)(wl_buffer*)>(buffer, wl_buffer_destroy);
    zwlr_screencopy_frame_v1_copy(frame, buffer);
    if (!Pump(s.Display, deadline, [&s] { return s.Ready || s.Failed; }))
        return refuse(ConnectionError(s.Display).isEmpty()
                          ? QStringLiteral("the compositor did not copy the frame within %1 ms").arg(timeoutMs)
                          : ConnectionError(s.Display));
    if (s.Failed)
        return refuse(QStringLiteral("the compositor could not copy the frame"));

    const QImage image = FrameToImage(static_cast<const uchar*>(file.Data), qsizetype(size), s.Format, s.Width,
                                      s.Height, s.Stride, s.Flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT);
    if (image.isNull())
        return refuse(QStringLiteral("the compositor's frame does not fit its own layout"));
    return Upright(image, output->Transform);
}

QImage FrameToImage(const uchar* data, qsizetype bytes, uint32_t format, int width, int height, int stride,
                    bool yInvert)
{
    int depth = 0;
    const QImage::Format layout = LayoutOf(format, &depth);
    if (layout == QImage::Format_Invalid || !data || width <= 0 || height <= 0 || stride < width * depth
        || qsizetype(stride) * height > bytes)
        return QImage();

    QImage image;
    if (layout == QImage::Format_RGB30 || layout == QImage::Format_BGR30) {
        // Qt reads the two top bits as alpha even in its opaque 10-bit formats: set in a copy.
        QImage opaque(width, height, layout);
        for (int y = 0; y < height; ++y) {
            const auto* from = reinterpret_cast<const uint32_t*>(data + qsizetype(y) * stride);
            auto* to = reinterpret_cast<uint32_t*>(opaque.scanLine(y));
            for (int x = 0; x < width; ++x)
                to[x] = from[x] | 0xc0000000u;
        }
        image = opaque.convertToFormat(QImage::Format_RGB32);
    } else {
        const QImage frame(data, width, height, stride, layout);
        // Never a picture that still points into the compositor's buffer.
        image = layout == QImage::Format_RGB32 ? frame.copy() : frame.convertToFormat(QImage::Format_RGB32);
    }
    if (image.isNull())
        return QImage();
    if (depth == 4 && layout != QImage::Format_RGB30 && layout != QImage::Format_BGR30) {
        // An ARGB or ABGR frame may carry any alpha; the desktop is opaque whatever it says.
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] |= 0xff000000u;
        }
    }
    if (yInvert)
        image.mirror(false, true);
    return image;
}

QImage Upright(const QImage& frame, int transform)
{
    // The frame is the output's own picture, as the panel is turned: turned back by the output's
    // rotation, then flipped left to right for the flipped transforms.
    static const int kDegrees[4] = {0, 90, 180, 270};
    const int rotation = kDegrees[transform & 3];
    QImage image = rotation ? frame.transformed(QTransform().rotate(rotation)) : frame;
    if (transform & 4)
        image.mirror(true, false);
    return image;
}

} // namespace platform::WlrScreencopy
