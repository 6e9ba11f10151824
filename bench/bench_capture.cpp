// The fight's screen capture against the floor: a raw MIT-SHM grab of the same area, made here
// on a connection and segment of the benchmark's own, and the ordinary grab through Qt for
// comparison. The three alternate in one run so a loaded machine weighs on all alike.
// Run it on the rig's X server: tests/rig/rig.sh build/bench/bench_capture [rounds]
#include "platform/ScreenCapture.h"
#include "platform/System.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The reference: one xcb_shm_get_image of the root window into a segment set up beforehand.
struct RawGrab {
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
    xcb_shm_seg_t seg = 0;
    void* data = nullptr;
    int w = 0, h = 0;

    bool open(int width, int height)
    {
        int screenNumber = 0;
        conn = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(conn))
            return false;
        auto it = xcb_setup_roots_iterator(xcb_get_setup(conn));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        root = it.data->root;
        w = width;
        h = height;
        const int id = shmget(IPC_PRIVATE, size_t(w) * h * 4, IPC_CREAT | 0600);
        data = shmat(id, nullptr, 0);
        seg = xcb_generate_id(conn);
        xcb_generic_error_t* err = xcb_request_check(conn, xcb_shm_attach_checked(conn, seg, id, 0));
        shmctl(id, IPC_RMID, nullptr);
        if (err) {
            std::free(err);
            return false;
        }
        return true;
    }
    bool grab()
    {
        xcb_generic_error_t* err = nullptr;
        auto* r = xcb_shm_get_image_reply(
            conn, xcb_shm_get_image(conn, root, 0, 0, uint16_t(w), uint16_t(h), ~0u,
                                    XCB_IMAGE_FORMAT_Z_PIXMAP, seg, 0),
            &err);
        std::free(err);
        std::free(r);
        return r != nullptr;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 101;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    RawGrab raw;
    if (!raw.open(size.width(), size.height())) {
        std::fprintf(stderr, "no MIT-SHM on this display\n");
        return 2;
    }
    std::vector<double> adapter, floor, qt, paired;
    for (int i = 0; i < rounds; ++i) {
        // Each round in another order, so neither grab always follows the slow one.
        double a = 0, r = 0, q = 0;
        for (int k = 0; k < 3; ++k) {
            const int which = (k + i) % 3;
            QElapsedTimer t;
            t.start();
            if (which == 0) {
                QImage shot = platform::ScreenCapture::Grab(platform::DeviceGeometry(screen));
                a = t.nsecsElapsed() / 1e6;
                if (platform::ScreenCapture::LastMethod() != QLatin1String("shm")) {
                    std::fprintf(stderr, "the capture did not use shared memory\n");
                    return 3;
                }
                // The image goes out of scope here and gives the buffer back, as the end of a
                // fight does.
            } else if (which == 1) {
                if (!raw.grab())
                    return 4;
                r = t.nsecsElapsed() / 1e6;
            } else {
                const QImage old = screen->grabWindow(0).toImage();
                q = t.nsecsElapsed() / 1e6;
                if (old.isNull())
                    return 5;
            }
        }
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            std::printf("%.2f %.2f %.2f\n", a, r, q);
        if (i > 0) {   // the first round sets the segment up
            adapter.push_back(a);
            paired.push_back(a / r);
            floor.push_back(r);
            qt.push_back(q);
        }
    }
    const double ma = median(adapter), mr = median(floor), mq = median(qt);
    std::printf("capture of %dx%d, medians of %zu rounds:\n", size.width(), size.height(), adapter.size());
    std::printf("  ScreenCapture::Grab     %.2f ms  (%.2f x the raw grab; median of the rounds' own ratios %.2f)\n",
                ma, ma / mr, median(paired));
    std::printf("  raw xcb-shm grab        %.2f ms  (reference)\n", mr);
    std::printf("  QScreen::grabWindow     %.2f ms  (%.2f x the raw grab; the path before)\n", mq, mq / mr);
    return 0;
}
