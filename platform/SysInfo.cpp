#include "platform/SysInfo.h"
#include "platform/AudioDeviceWatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleHints>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

const QString Login1 = QStringLiteral("org.freedesktop.login1");
const QString Login1Path = QStringLiteral("/org/freedesktop/login1");
const QString Login1Manager = QStringLiteral("org.freedesktop.login1.Manager");

// SIGTERM and SIGHUP (the session's end when no session manager asks first) are turned into
// an ordinary event through a pipe, so the link can be closed on the user-interface thread.
int signalPipe[2] = {-1, -1};

void onTermSignal(int)
{
    const char c = 1;
    if (signalPipe[1] >= 0) {
        const ssize_t n = ::write(signalPipe[1], &c, 1);
        (void)n;
    }
}

bool installSignalPipe()
{
    if (signalPipe[0] >= 0)
        return true;
    if (::pipe(signalPipe) != 0)
        return false;
    for (int fd : signalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa {};
    sa.sa_handler = onTermSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    return true;
}

} // namespace

struct SysInfo::Impl {
    bool busConnected = false;
    QDBusUnixFileDescriptor sleepDelay;   // held while awake: logind waits for us before sleep
    QSocketNotifier* signalNotifier = nullptr;
    bool sessionEnded = false;
};

SysInfo::SysInfo(QObject* parent) : QObject(parent), d(std::make_unique<Impl>())
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (QScreen* s : QGuiApplication::screens())
            watchScreen(s);
        connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
            watchScreen(s);
            emit DisplayChanged();
        });
        connect(app, &QGuiApplication::screenRemoved, this, &SysInfo::DisplayChanged);
        connect(app, &QGuiApplication::primaryScreenChanged, this, &SysInfo::DisplayChanged);
        connect(QGuiApplication::styleHints(), &QStyleHints::mouseDoubleClickIntervalChanged, this,
                [this](int) { emit SettingChanged(DoubleClickTimeItem); });
        connect(app, &QGuiApplication::commitDataRequest, this, [this] {
            if (!d->sessionEnded) {
                d->sessionEnded = true;
                emit SessionEnding();
            }
        });
    }

    // Audio devices are counted on the sound output's own thread: asking the sound server from
    // here would hang start-up for as long as a stuck server keeps us waiting.
    connect(&AudioDeviceWatch::instance(), &AudioDeviceWatch::OutputsChanged, this, [this](int before, int now) {
        if (now < before)
            emit DeviceRemoveComplete();
        else
            emit DeviceArrival();
    });

    // Suspend and resume from logind; without a system bus there are simply no such events.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        d->busConnected = bus.connect(Login1, Login1Path, Login1Manager, QStringLiteral("PrepareForSleep"),
                                      this, SLOT(onPrepareForSleep(bool)));
        if (d->busConnected)
            takeSleepDelay();
    }

    if (installSignalPipe()) {
        d->signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(d->signalNotifier, &QSocketNotifier::activated, this, &SysInfo::onSignal);
    }
}

SysInfo::~SysInfo() = default;

int SysInfo::DoubleClickTime()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

bool SysInfo::PowerEventsAvailable() const
{
    return d->busConnected;
}

void SysInfo::watchScreen(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this, screen] {
        if (screen == QGuiApplication::primaryScreen())
            emit DisplayChanged();
    });
}

void SysInfo::takeSleepDelay()
{
    // A delay lock lets the program close the peer link before the machine sleeps; logind
    // gives up waiting after its own limit, so a hung program never blocks the suspend.
    QDBusMessage call = QDBusMessage::createMethodCall(Login1, Login1Path, Login1Manager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Gremlok")
         << QStringLiteral("Close the game link before sleeping") << QStringLiteral("delay");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isValid())
            d->sleepDelay = reply.value();
        w->deleteLater();
    });
}

void SysInfo::onPrepareForSleep(bool start)
{
    if (start) {
        emit PowerSuspend();
        d->sleepDelay = QDBusUnixFileDescriptor();   // done: the machine may sleep now
    } else {
        emit PowerResume();
        if (d->busConnected)
            takeSleepDelay();
    }
}

void SysInfo::onSignal()
{
    char buf[16];
    while (::read(signalPipe[0], buf, sizeof buf) > 0) {
    }
    if (!d->sessionEnded) {
        d->sessionEnded = true;
        emit SessionEnding();
    }
    // exit(), not quit(): quit() first asks every window to close and gives up when one
    // refuses (the fight, a modal box); exit() also ends the nested loops of open dialogs.
    QCoreApplication::exit(0);
}

} // namespace platform
