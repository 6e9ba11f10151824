#include "platform/PreciseTimer.h"

#include "core/Logging.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <ctime>
#endif

#include <algorithm>

namespace platform {

namespace {
// Timers running on this (the user-interface) thread. While any runs, the thread's timer slack
// is one nanosecond instead of the default 50 microseconds, so the event loop's own waits
// (queued work, Qt timers between two ticks) do not push a tick later than it has to be.
int gRunning = 0;

#ifdef Q_OS_LINUX
qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}
#endif
}

void PreciseTimer::setActive(bool on)
{
    if (on == m_active)
        return;
    m_active = on;
    gRunning += on ? 1 : -1;
#ifdef Q_OS_LINUX
    if (gRunning == (on ? 1 : 0))
        prctl(PR_SET_TIMERSLACK, on ? 1UL : 0UL, 0UL, 0UL, 0UL);   // 0: back to the default
#endif
}

void PreciseTimer::singleShot(int ms, QObject* owner, std::function<void()> handler)
{
    auto* timer = new PreciseTimer(owner);
    timer->setSingleShot(true);
    connect(timer, &PreciseTimer::timeout, timer, [timer, handler = std::move(handler)] {
        timer->deleteLater();
        handler();
    });
    timer->start(ms);
}

PreciseTimer::PreciseTimer(QObject* parent)
    : QObject(parent)
{
}

PreciseTimer::~PreciseTimer()
{
    setActive(false);
#ifdef Q_OS_LINUX
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void PreciseTimer::start(int ms)
{
    if (ms <= 0) {
        stop();
        return;
    }
    setActive(true);
#ifdef Q_OS_LINUX
    // The descriptor is made on first use: a program that never fights never holds one.
    if (m_fd < 0 && !m_fallback) {
        m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_fd >= 0) {
            m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &PreciseTimer::fdReadable);
        } else {
            qCWarning(lcPlatform) << "no timerfd; animation timers fall back to Qt's precise timers";
        }
    }
    if (m_fd >= 0) {
        m_intervalNs = qint64(ms) * 1000000LL;
        m_deadlineNs = monotonicNs() + m_intervalNs;
        if (arm()) {
            m_notifier->setEnabled(true);
            return;
        }
        qCWarning(lcPlatform) << "timerfd_settime failed; falling back to Qt's precise timers";
        delete m_notifier;
        m_notifier = nullptr;
        ::close(m_fd);
        m_fd = -1;
    }
#endif
    if (!m_fallback) {
        m_fallback = new QTimer(this);
        m_fallback->setTimerType(Qt::PreciseTimer);
        connect(m_fallback, &QTimer::timeout, this, [this] {
            if (m_singleShot)
                setActive(false);
            emit timeout();
        });
    }
    m_fallback->setSingleShot(m_singleShot);
    m_fallback->start(ms);
}

void PreciseTimer::stop()
{
    setActive(false);
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        // Disarming also drops expirations not yet read.
        const itimerspec off{};
        timerfd_settime(m_fd, 0, &off, nullptr);
        m_notifier->setEnabled(false);
    }
#endif
    if (m_fallback)
        m_fallback->stop();
}

bool PreciseTimer::arm()
{
#ifdef Q_OS_LINUX
    // A tenth of the interval at most, so that short intervals do not spend their time waiting.
    const qint64 wake = m_deadlineNs - std::min(kLeadNs, m_intervalNs / 10);
    itimerspec spec{};
    spec.it_value.tv_sec = time_t(wake / 1000000000LL);
    spec.it_value.tv_nsec = long(wake % 1000000000LL);
    // One expiry at a time: each tick sets the next, so a wake-up is always ahead of its tick.
    return timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &spec, nullptr) == 0;
#else
    return false;
#endif
}

void PreciseTimer::fdReadable()
{
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) != ssize_t(sizeof expirations) || !m_active)
        return;
    qint64 now = monotonicNs();
    while (now < m_deadlineNs)
        now = monotonicNs();
    if (m_singleShot) {
        setActive(false);
        m_notifier->setEnabled(false);
    } else {
        // The schedule stays start + n x interval; periods missed under load are skipped.
        do
            m_deadlineNs += m_intervalNs;
        while (m_deadlineNs <= now);
        if (!arm())
            qCWarning(lcPlatform) << "timerfd_settime failed; the animation timer stops";
    }
    // Last: a handler may stop or even delete this timer.
    emit timeout();
#endif
}

} // namespace platform
