#include "net/LinkBox.h"

#include "core/modGremlok.h"
#include "platform/Trace.h"

using namespace modGremlok;

int LinkBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)
{
    const bool wasOpen = MessageBoxOpen;
    MessageBoxOpen = true;
    QMessageBox box(icon, AppTitle, text, buttons);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QString traced = text;
    platform::Trace("msgbox", traced.replace(QLatin1String("\r\n"), QLatin1String("\\n")));
    box.show();
    box.raise();
    box.activateWindow();
    const int answer = box.exec();
    // A box shown from inside another one's wait leaves the outer mark alone.
    MessageBoxOpen = wasOpen;
    return answer;
}
