#include "platform/WaylandDecorations.h"

#include "core/Logging.h"

#include <wayland-client.h>

namespace platform {

namespace {

void Global(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    static_cast<QStringList*>(data)->append(QString::fromLatin1(interface));
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

} // namespace

QStringList WaylandGlobals()
{
    QStringList globals;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return globals;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    if (wl_display_roundtrip(display) < 0)
        globals.clear();
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return globals;
}

bool LeaveDecorationsToCompositor()
{
    if (qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION"))
        return false;
    if (!WaylandGlobals().contains(QLatin1String("zxdg_decoration_manager_v1")))
        return false;
    qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    qCDebug(lcPlatform) << "the compositor draws the window frames: Qt's own frames (and the OpenGL stack they load) are left out";
    return true;
}

} // namespace platform
