#include "platform/System.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
// A real folder (not a link to one) of ours that nobody else can enter.
bool isPrivateFolderOfOurs(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QString choosePrivateFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolderOfOurs(runtime))
        return QDir::cleanPath(runtime);
    // No usable runtime folder: one of our own under the temporary path, under a name every
    // copy of the program works out alike, so that a second copy finds the first one's lock.
    // If somebody else planted that name first, the next name is tried.
    const QString base = QDir::tempPath() + QStringLiteral("/gremlok-") + QString::number(::getuid());
    for (int i = 0; i < 100; ++i) {
        const QString path = i == 0 ? base : base + QLatin1Char('-') + QString::number(i);
        ::mkdir(QFile::encodeName(path).constData(), 0700);
        if (isPrivateFolderOfOurs(path))
            return path;
    }
    QByteArray tmpl = QFile::encodeName(QDir::tempPath() + QStringLiteral("/gremlok-XXXXXX"));
    if (::mkdtemp(tmpl.data()))
        return QFile::decodeName(tmpl);
    return base;
}
} // namespace

QString PrivateRuntimeFolder()
{
    // Chosen once: the lock and the skin folder must be in the same place for the whole run.
    static const QString folder = choosePrivateFolder();
    return folder;
}

QString UserName()
{
    if (const passwd* pw = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString();
}

void VersionFlags(bool& isWin2000OrLater, bool& isWin98OrLater)
{
    // GREMLOK_BALLOONS=0 asks for the program's own popup beside the panel instead of tray
    // balloons, for panels that show balloons badly or not at all.
    isWin2000OrLater = QSystemTrayIcon::supportsMessages() && qEnvironmentVariable("GREMLOK_BALLOONS") != QLatin1String("0");
    // Constant-alpha blending is done by the program itself, so it is always there.
    isWin98OrLater = true;
}

void FlushWindowSystem()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection())
        xcb_flush(x11->connection());
}

ScreenMetrics ReadScreen(const QScreen* screen)
{
    ScreenMetrics m;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect device = DeviceGeometry(screen);
        m.Width = device.width();
        m.Height = device.height();
        m.HighColor = screen->depth() > 8;
    }
    return m;
}

QRect DeviceGeometry(const QScreen* screen)
{
    if (!screen)
        return QRect();
    const QRect logical = screen->geometry();
    const qreal dpr = screen->devicePixelRatio();
    return QRect(logical.topLeft(), QSize(qRound(logical.width() * dpr), qRound(logical.height() * dpr)));
}

bool OpenUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

} // namespace platform
