#pragma once
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

class QSystemTrayIcon;

namespace platform {

// The notification-area icon: picture, tooltip, visibility, balloons and mouse events.
// Qt's activation reasons are turned into the button-up and double-click events the shell
// expects: a double click arrives as MouseUp, DblClick, MouseUp (Button 1 left, 2 right).
class vbTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit vbTrayIcon(QObject* parent = nullptr);
    ~vbTrayIcon() override;

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& text);
    QString ToolTip() const { return m_toolTip; }
    void setVisible(bool on);
    bool Visible() const { return m_visible; }
    void setEnabled(bool on) { m_enabled = on; }
    bool Enabled() const { return m_enabled; }
    void setAttention(bool on) { m_attention = on; }
    bool Attention() const { return m_attention; }

    QString BalloonTitle;
    QString BalloonText;
    int BalloonIcon = 1;     // 1 = information
    void ShowBalloon(int timeoutMs);

    // Where the icon sits on the screen; empty when unknown.
    QRect Geometry() const;
    static bool SupportsBalloons();

    // Feeds one Qt activation reason through the translation (used by the tests).
    void deliver(int qtActivationReason);

signals:
    void MouseUp(int Button);
    void DblClick(int Button);

private:
    QSystemTrayIcon* m_icon = nullptr;
    QString m_toolTip;
    bool m_visible = false;
    bool m_enabled = false;
    bool m_attention = false;
};

} // namespace platform
