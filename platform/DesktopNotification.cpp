#include "platform/DesktopNotification.h"

#include "core/Logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage call(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}
} // namespace

DesktopNotification::DesktopNotification(QObject* parent)
    : QObject(parent)
{
}

bool DesktopNotification::ServiceRunning()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // Many notification daemons start on the first call (bus activation).
    return bus.interface()->isServiceRegistered(kService)
        || bus.interface()->activatableServiceNames().value().contains(kService);
}

void DesktopNotification::Show(const QString& appName, const QString& iconName, const QString& summary,
                               const QString& body, const QList<QPair<QString, QString>>& actions)
{
    m_appName = appName;
    m_iconName = iconName;
    m_summary = summary;
    m_body = body;
    m_actions = actions;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Listening before sending: the service may answer a click at once.
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint,QString)));
    if (actions.isEmpty()) {
        notify(false);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities")), 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError())
            qCWarning(lcPlatform) << "notification service has no capabilities:" << reply.error().message();
        notify(!reply.isError() && reply.value().contains(QStringLiteral("actions")));
    });
}

void DesktopNotification::notify(bool withActions)
{
    QStringList actions;
    if (withActions) {
        for (const auto& [key, label] : m_actions)
            actions << key << label;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("io.github.gremlok.Gremlok"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    QDBusMessage m = call(QStringLiteral("Notify"));
    m << m_appName << uint(0) << m_iconName << m_summary << m_body << actions << hints << int(0);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(m, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            qCWarning(lcPlatform) << "notification refused:" << reply.error().message();
        m_id = reply.isError() ? 0 : reply.value();
        emit Shown(m_id);
    });
}

void DesktopNotification::onActionInvoked(uint id, const QString& key)
{
    // The service tells every client about every notification's actions.
    if (m_id != 0 && id == m_id)
        emit ActionInvoked(key);
}

} // namespace platform
