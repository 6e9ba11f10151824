#include "platform/vbTrayIcon.h"
#include "platform/Trace.h"

#include <QSystemTrayIcon>

namespace platform {

vbTrayIcon::vbTrayIcon(QObject* parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) { deliver(int(r)); });
}

vbTrayIcon::~vbTrayIcon()
{
    m_icon->hide();
}

void vbTrayIcon::deliver(int reason)
{
    if (!m_enabled)
        return;
    switch (QSystemTrayIcon::ActivationReason(reason)) {
    case QSystemTrayIcon::Trigger:
        emit MouseUp(1);
        break;
    case QSystemTrayIcon::DoubleClick:
        // Qt sends no second release for a double click; the shell's marker logic needs it.
        emit DblClick(1);
        emit MouseUp(1);
        break;
    case QSystemTrayIcon::Context:
        emit MouseUp(2);
        break;
    case QSystemTrayIcon::MiddleClick:
        emit MouseUp(4);
        break;
    default:
        break;
    }
}

void vbTrayIcon::setIcon(const QIcon& icon)
{
    m_icon->setIcon(icon);
}

void vbTrayIcon::setToolTip(const QString& text)
{
    m_toolTip = text;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_icon->setToolTip(shown);
    Trace("tray.tooltip", text);
}

void vbTrayIcon::setVisible(bool on)
{
    m_visible = on;
    // A panel that starts after the program gets the icon as soon as its tray appears: Qt
    // watches for the tray itself.
    m_icon->setVisible(on);
    Trace("tray.visible", on ? "1" : "0");
}

void vbTrayIcon::ShowBalloon(int timeoutMs)
{
    const auto icon = BalloonIcon == 1 ? QSystemTrayIcon::Information : QSystemTrayIcon::NoIcon;
    m_icon->showMessage(BalloonTitle, BalloonText, icon, timeoutMs);
    Trace("tray.balloon", BalloonTitle + QLatin1Char('|') + BalloonText);
}

QRect vbTrayIcon::Geometry() const
{
    return m_icon->geometry();
}

bool vbTrayIcon::SupportsBalloons()
{
    return QSystemTrayIcon::supportsMessages();
}

} // namespace platform
