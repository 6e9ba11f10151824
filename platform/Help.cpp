#include "platform/Help.h"
#include "platform/Trace.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QWhatsThis>
#include <QWidget>

static void initHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace platform::Help {

namespace {

QPointer<QTextBrowser> helpWindow;

QString readResource(const QString& path)
{
    initHelpResources();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

void ShowContents(QWidget*)
{
    initHelpResources();
    if (!helpWindow) {
        // A window of its own, not owned by the hidden main window: it stays usable while the
        // program runs and goes at exit through Quit.
        auto* w = new QTextBrowser;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setObjectName(QStringLiteral("GremlokHelp"));
        w->setWindowTitle(QStringLiteral("Gremlok Help"));
        w->setOpenExternalLinks(true);
        w->setSearchPaths({QStringLiteral(":/help")});
        w->setSource(QUrl(QStringLiteral("qrc:/help/contents.html")));
        w->resize(560, 480);
        helpWindow = w;
    }
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
}

QString TopicText(int contextId)
{
    return readResource(QStringLiteral(":/help/topic%1.html").arg(contextId));
}

void ShowPopup(int contextId, QWidget* over)
{
    QString text = TopicText(contextId);
    if (text.isEmpty())
        text = QStringLiteral("No help is available for this item.");
    QPoint at;
    if (over)
        at = over->mapToGlobal(over->rect().center());
    else if (QScreen* s = QGuiApplication::primaryScreen())
        at = s->geometry().center();
    QWhatsThis::showText(at, text, over);
    Trace("help.popup", QString::number(contextId));
}

void Quit()
{
    if (helpWindow)
        helpWindow->close();
    QWhatsThis::hideText();
}

bool ContentsShown()
{
    return helpWindow && helpWindow->isVisible();
}

} // namespace platform::Help
