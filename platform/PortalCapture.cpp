#include "platform/PortalCapture.h"

#include "core/PictureReader.h"
#include "core/Logging.h"
#include "platform/WaylandSession.h"
#include "platform/WlrScreencopy.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace platform {

namespace {

const char* const kService = "org.freedesktop.portal.Desktop";
const char* const kPath = "/org/freedesktop/portal/desktop";
const char* const kScreenshot = "org.freedesktop.portal.Screenshot";
const char* const kRequest = "org.freedesktop.portal.Request";

// Receives the request's Response signal (response code, results).
class ResponseCatcher : public QObject {
    Q_OBJECT
public:
    bool Answered = false;
    uint Code = 2;
    QVariantMap Results;
signals:
    void done();
public slots:
    void Response(uint code, const QVariantMap& results)
    {
        Answered = true;
        Code = code;
        Results = results;
        emit done();
    }
};

} // namespace

QImage PortalCapture(int timeoutMs, QString* reason)
{
    const auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return QImage();
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return refuse(QStringLiteral("no session bus"));
    if (QDBusConnectionInterface* iface = bus.interface();
        !iface || !iface->isServiceRegistered(QString::fromLatin1(kService)).value()) {
        // The portal is D-Bus activatable on most desktops; only give up if it cannot start.
        if (!iface || !iface->activatableServiceNames().value().contains(QString::fromLatin1(kService)))
            return refuse(QStringLiteral("no desktop portal on the session bus"));
    }

    // The request object's path is known in advance (sender and token), so the answer is
    // listened for before the call: a fast portal may answer before the call returns.
    const QString token = QStringLiteral("gremlok%1").arg(QRandomGenerator::global()->generate());
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString requestPath = QStringLiteral("%1/request/%2/%3").arg(QLatin1String(kPath), sender, token);
    ResponseCatcher catcher;
    if (!bus.connect(QString::fromLatin1(kService), requestPath, QString::fromLatin1(kRequest),
                     QStringLiteral("Response"), &catcher, SLOT(Response(uint, QVariantMap))))
        return refuse(QStringLiteral("cannot listen for the portal's answer"));
    const auto disconnect = qScopeGuard([&] {
        bus.disconnect(QString::fromLatin1(kService), requestPath, QString::fromLatin1(kRequest),
                       QStringLiteral("Response"), &catcher, SLOT(Response(uint, QVariantMap)));
    });

    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kScreenshot), QStringLiteral("Screenshot"));
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("interactive"), false);
    options.insert(QStringLiteral("modal"), false);
    call << QString() << options;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&catcher, &ResponseCatcher::done, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);

    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return refuse(QStringLiteral("the portal refused: %1").arg(reply.errorMessage()));
    if (!catcher.Answered && deadline.isActive())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!catcher.Answered)
        return refuse(QStringLiteral("the portal did not answer within %1 ms").arg(timeoutMs));
    if (catcher.Code != 0)
        return refuse(catcher.Code == 1 ? QStringLiteral("the screenshot was not allowed")
                                        : QStringLiteral("the portal could not take the screenshot"));

    const QUrl uri(catcher.Results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile())
        return refuse(QStringLiteral("the portal gave no local file (%1)").arg(uri.toString()));
    const QString file = uri.toLocalFile();
    const auto reader = modGremlok::OpenPicture(file);
    const QImage shot = reader->read();
    // The portal leaves the picture in the user's pictures folder; it is not theirs to keep.
    if (!QFile::remove(file))
        qCWarning(lcPlatform) << "The portal's screenshot" << file << "could not be deleted";
    if (shot.isNull())
        return refuse(QStringLiteral("the portal's screenshot cannot be read: %1").arg(reader->errorString()));
    return shot;
}

QImage WaylandCapture(QScreen* screen, const QSize& size, QString* reason, QString* method)
{
    const auto tell = [method](const char* how) {
        if (method)
            *method = QString::fromLatin1(how);
    };
    QString why;
    if (qEnvironmentVariable("GREMLOK_CAPTURE") != QLatin1String("portal")) {
        bool offered = false;
        const QImage frame = WlrScreencopy::Capture(screen, 3000, &why, &offered);
        if (!frame.isNull()) {
            tell("screencopy");
            return frame;
        }
        // A compositor without the protocol is the usual case (GNOME, KDE Plasma): nothing to say.
        if (offered)
            qCWarning(lcPlatform) << "The compositor's screencopy failed, the portal instead:" << why;
    }
    tell("portal");
    QImage shot = PortalCapture(15000, &why);
    if (shot.isNull() && screen) {
        // Without the portal, a program under XWayland still gets a correctly sized grab, but
        // an all-black one: that is a refusal too, not the desktop.
        shot = screen->grabWindow(0).toImage();
        if (IsAllBlack(shot))
            shot = QImage();
        else
            tell("grab");
    }
    // The portal pictures every output at once; the fight covers one screen.
    if (!shot.isNull() && screen && screen->virtualSiblings().size() > 1) {
        const QRect part = ScreenPartOfDesktop(shot.size(), screen->virtualGeometry(), screen->geometry());
        if (!part.isEmpty() && part.size() != shot.size())
            shot = shot.copy(part);
    }
    if (!shot.isNull())
        return shot;
    qCWarning(lcPlatform) << "The desktop cannot be captured on this Wayland session:" << why;
    if (reason)
        *reason = why;
    tell("neutral");
    return NeutralBackground(size);
}

} // namespace platform

#include "PortalCapture.moc"
