#include "platform/TrayHost.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include <cstdlib>
#include <xcb/xcb.h>

namespace platform {

namespace {

bool x11TrayOwned()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = app ? app->connection() : nullptr;
    if (!c)
        return false;
    // Any screen's tray will do: the icon goes to the one on the program's screen, and a
    // desktop with several X screens is rare.
    const int screens = xcb_setup_roots_length(xcb_get_setup(c));
    for (int n = 0; n < screens; ++n) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(n);
        // Only if it exists: an atom nobody has named yet has no owner either.
        xcb_intern_atom_reply_t* a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t atom = a ? a->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(a);
        if (atom == XCB_ATOM_NONE)
            continue;
        xcb_get_selection_owner_reply_t* o = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom), nullptr);
        const bool owned = o && o->owner != XCB_NONE;
        std::free(o);
        if (owned)
            return true;
    }
    return false;
}

bool statusNotifierHost()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    // A watcher that cannot say counts as one with a host: it is there to serve one.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return true;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

bool HasDesktop()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal");
}

bool TrayHostPresent()
{
    return QSystemTrayIcon::isSystemTrayAvailable() || x11TrayOwned() || statusNotifierHost();
}

} // namespace platform
