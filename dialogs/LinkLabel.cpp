#include "dialogs/LinkLabel.h"

#include "core/Logging.h"
#include "core/ProductInfo.h"
#include "platform/Help.h"
#include "platform/System.h"
#include "platform/Trace.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
    setPalette(pal);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

namespace {
void openOrHelp(const QString& url, QWidget* owner)
{
    if (!url.isEmpty()) {
        platform::Trace("open_url", url);
        if (platform::OpenUrl(url))
            return;
        qCWarning(lcDialogs) << "no handler opened" << url << "- showing the help book instead";
    }
    platform::Trace("open_url", "help:skins");
    platform::Help::ShowPage(QStringLiteral("skins.html"), owner);
}
} // namespace

void OpenSkinsPage(QWidget* owner)
{
    openOrHelp(ProductInfo::SkinsPage(), owner);
}

void OpenWebSite(QWidget* owner)
{
    openOrHelp(ProductInfo::WebSite(), owner);
}

void OpenSupportMail(QWidget*)
{
    const QString address = ProductInfo::SupportEmail();
    if (address.isEmpty())
        return;
    platform::Trace("open_url", QStringLiteral("mailto:") + address);
    if (!platform::OpenUrl(QStringLiteral("mailto:") + address))
        qCWarning(lcDialogs) << "no mail program opened a message to" << address;
}
