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

void ShowContents(QWidget* owner)
{
    ShowPage(QStringLiteral("contents.html"), owner);
}

void ShowPage(const QString& page, QWidget*)
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
        w->resize(w->fontMetrics().averageCharWidth() * 80, w->fontMetrics().height() * 32);
        helpWindow = w;
    }
    helpWindow->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    Trace("help.page", page);
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
    Trace("help.popup", QString::number(contextId));
    QWhatsThis::showText(at, text, over);
    Trace("help.popup", QString::number(contextId));
}

void Quit()
{
    if (helpWindow)
        helpWindow->close();
    QWhatsThis::hideText();
}

QString CurrentPage()
{
    return helpWindow && helpWindow->isVisible() ? helpWindow->source().fileName() : QString();
}

bool ContentsShown()
{
    return helpWindow && helpWindow->isVisible();
}

} // namespace platform::Help
