#pragma once
// One notification through the desktop's notification service (org.freedesktop.Notifications
// on the session bus), with buttons where the service can show them.
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

namespace platform {

class DesktopNotification : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotification(QObject* parent = nullptr);

    // Whether a notification service runs on the session bus, or starts there when called.
    static bool ServiceRunning();

    // Sends the notification without waiting for the service. `actions` are (key, label) pairs,
    // left out when the service does not advertise the "actions" capability. It stays until
    // the user closes it.
    void Show(const QString& appName, const QString& iconName, const QString& summary, const QString& body,
              const QList<QPair<QString, QString>>& actions);

signals:
    // The user chose one of this notification's actions.
    void ActionInvoked(const QString& key);
    // The service answered the notification with its id (0 when it refused it).
    void Shown(uint id);

private slots:
    void onActionInvoked(uint id, const QString& key);

private:
    void notify(bool withActions);

    QString m_appName, m_iconName, m_summary, m_body;
    QList<QPair<QString, QString>> m_actions;
    uint m_id = 0;
};

} // namespace platform
